#pragma once

#include <QElapsedTimer>

#include <functional>

// Progress of a long run as the export window's bar shows it: a value from 0 to 100 that
// climbs by one per step and starts again from 0 once it stood at 100. The run also calls
// yield() once per row; the window passes a function that handles its pending events, so
// it stays responsive. Handling events costs little but not nothing, so it is done at most
// every few milliseconds, which the eye cannot tell from once per row.
class RunProgress final
{
public:
    using Listener = std::function<void(int value)>;
    using Yielder = std::function<void()>;

    void setListener(Listener listener) { m_listener = std::move(listener); }
    void setYielder(Yielder yielder) { m_yielder = std::move(yielder); }

    int value() const { return m_value; }
    // Steps advanced since the last reset: rows, for a reader that counts them.
    qint64 steps() const { return m_steps; }
    void reset()
    {
        m_steps = 0;
        set(0);
    }
    void finish() { set(100); }
    void advance()
    {
        ++m_steps;
        set(m_value == 100 ? 1 : m_value + 1);
    }
    void yield()
    {
        if (!m_yielder)
            return;
        if (m_clock.isValid() && m_clock.elapsed() < 15)
            return;
        m_yielder();
        m_clock.start();
    }

    // One run at a time: a command pressed again while its run yields must not start another.
    class [[nodiscard]] Guard final
    {
    public:
        explicit Guard(RunProgress& progress) : m_progress(progress), m_owner(!progress.m_running)
        {
            progress.m_running = true;
        }
        ~Guard()
        {
            if (m_owner)
                m_progress.m_running = false;
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        // False when another run already holds the progress.
        explicit operator bool() const { return m_owner; }

    private:
        RunProgress& m_progress;
        bool m_owner;
    };
    bool running() const { return m_running; }

private:
    void set(int value)
    {
        m_value = value;
        if (m_listener)
            m_listener(value);
    }

    Listener m_listener;
    Yielder m_yielder;
    QElapsedTimer m_clock;
    int m_value = 0;
    qint64 m_steps = 0;
    bool m_running = false;
};
