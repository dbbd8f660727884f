#pragma once

#include <QString>
#include <QStringList>

class SimTerminal;
class SimServer;

// The simulator's command language, shared by its standard input and its control port:
// one command per line, one answer line per command, starting "ok" or "error:".
class SimConsole final
{
public:
    SimConsole(SimTerminal& terminal, const SimServer& server) : m_terminal(terminal), m_server(server) {}
    QString execute(const QString& line);
    bool quitRequested() const { return m_quit; }
    static QString help();

private:
    QString punch(const QStringList& args);
    QString fail(const QStringList& args);
    QString misbehave(const QStringList& args);
    QString status() const;

    SimTerminal& m_terminal;
    const SimServer& m_server;
    bool m_quit = false;
};
