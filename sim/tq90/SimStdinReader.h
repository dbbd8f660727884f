#pragma once

#include <QFile>
#include <QObject>
#include <QSocketNotifier>

class SimConsole;

// Runs the console on the process's standard input and prints each answer on standard output.
// At the end of the input the simulator keeps running (it may have been started in the
// background with no input at all).
class SimStdinReader final : public QObject
{
    Q_OBJECT

public:
    explicit SimStdinReader(SimConsole& console, QObject* parent = nullptr);

Q_SIGNALS:
    void quitRequested();

private:
    void readLines();

    SimConsole& m_console;
    QFile m_in;
    QFile m_out;
    QSocketNotifier* m_notifier = nullptr;
};
