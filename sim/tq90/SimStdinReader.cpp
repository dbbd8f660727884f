#include "SimStdinReader.h"

#include "SimConsole.h"

#include <unistd.h>

SimStdinReader::SimStdinReader(SimConsole& console, QObject* parent) : QObject(parent), m_console(console)
{
    if (!m_in.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered) ||
        !m_out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SimStdinReader::readLines);
}

void SimStdinReader::readLines()
{
    // one line per wake-up: the notifier fires again while more is waiting
    char line[4096];
    const qint64 n = m_in.readLine(line, sizeof line);
    if (n <= 0) {
        m_notifier->setEnabled(false);
        return;
    }
    const QString text = QString::fromUtf8(line, static_cast<qsizetype>(n)).trimmed();
    if (text.isEmpty())
        return;
    m_out.write(m_console.execute(text).toUtf8() + '\n');
    if (m_console.quitRequested())
        Q_EMIT quitRequested();
}
