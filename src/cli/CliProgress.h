#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTextStream>

// The progress of long work as one line on the error stream, rewritten in place: what is being
// done, how far, and how fast. Shown only where someone watches (the stream is a terminal) and
// not under --quiet, so logs and pipes get nothing extra.
class CliProgress final
{
public:
    CliProgress(QTextStream& err, bool shown) : m_err(err), m_shown(shown) {}
    ~CliProgress() { clear(); }
    CliProgress(const CliProgress&) = delete;
    CliProgress& operator=(const CliProgress&) = delete;

    // "label: done/total unit, rate unit/s" (without "/total" when total < 0), at most ten times
    // a second, and always when done reaches total. A new label starts the rate afresh.
    void update(const QString& label, qint64 done, qint64 total, const QString& unit);
    // Takes the line away, so that what follows starts on a clean line.
    void clear();

private:
    QTextStream& m_err;
    bool m_shown;
    bool m_visible = false;
    QString m_label;
    QElapsedTimer m_started;
    QElapsedTimer m_lastShown;
};
