#include "cli/CliProgress.h"

void CliProgress::update(const QString& label, qint64 done, qint64 total, const QString& unit)
{
    if (!m_shown)
        return;
    if (label != m_label || !m_started.isValid()) {
        m_label = label;
        m_started.start();
        m_lastShown.invalidate();
    }
    const bool last = total >= 0 && done >= total;
    if (m_lastShown.isValid() && m_lastShown.elapsed() < 100 && !last)
        return;
    m_lastShown.start();
    const qint64 ms = std::max<qint64>(1, m_started.elapsed());
    QString line = m_label + QStringLiteral(": ") + QString::number(done);
    if (total >= 0)
        line += u'/' + QString::number(total);
    line += u' ' + unit + QStringLiteral(", ") + QString::number(done * 1000 / ms) + u' ' + unit +
            QStringLiteral("/s");
    // carriage return, the line, then erase what a longer earlier line left to the right
    m_err << '\r' << line << "\x1b[K";
    m_err.flush();
    m_visible = true;
}

void CliProgress::clear()
{
    if (!m_visible)
        return;
    m_err << "\r\x1b[K";
    m_err.flush();
    m_visible = false;
}
