#pragma once

#include <QString>

#include <optional>
#include <utility>

// Errors as values: the core never shows a dialog, it hands the operator's message back.
class [[nodiscard]] Outcome final
{
public:
    static Outcome success() { return Outcome(); }
    static Outcome failure(QString message) { return Outcome(std::move(message)); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

private:
    Outcome() = default;
    explicit Outcome(QString message) : m_failed(true), m_error(std::move(message)) {}

    bool m_failed = false;
    QString m_error;
};

template <typename T> class [[nodiscard]] Expected final
{
public:
    Expected(T value) : m_value(std::move(value)) {} // NOLINT(google-explicit-constructor)
    static Expected failure(QString message)
    {
        Expected e;
        e.m_error = std::move(message);
        return e;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }
    T& value() { return *m_value; }
    const T& value() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    Outcome outcome() const { return ok() ? Outcome::success() : Outcome::failure(m_error); }

private:
    Expected() = default;
    std::optional<T> m_value;
    QString m_error;
};
