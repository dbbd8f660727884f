#pragma once

#include "SimFaults.h"
#include "SimFingerSensor.h"
#include "SimTemplateStore.h"
#include "core/terminal/Tq90Protocol.h"

#include <QByteArray>

#include <optional>

// The simulated terminal: its attendance log, door, sensor and enrolled fingers, and the
// answer to every request. Connections keep their own key state (SimTerminal::Session).
class SimTerminal final
{
public:
    struct Session
    {
        bool keyed = false;
    };
    struct Reply
    {
        qint32 result = 0;
        QByteArray data;
        std::optional<SimFaults::Kind> misbehave; // set when the answer is to go wrong
    };

    Reply handle(Session& session, Tq90Protocol::Command command, const QByteArray& arguments);

    QByteArray& log() { return m_log; }
    void setRequireKey(bool on) { m_requireKey = on; }
    bool requireKey() const { return m_requireKey; }
    // Report this log size instead of the real one (a broken terminal), or the real one again.
    void setFakeLogSize(std::optional<quint32> size) { m_fakeLogSize = size; }
    int doorOpenings() const { return m_doorOpenings; }
    SimFaults& faults() { return m_faults; }
    SimFingerSensor& sensor() { return m_sensor; }
    SimTemplateStore& templates() { return m_templates; }

private:
    Reply answer(Session& session, Tq90Protocol::Command command, const QByteArray& arguments);
    // Reads "length, text" of a user ID at pos; nothing when the arguments are malformed.
    static std::optional<QString> readUser(const QByteArray& arguments, qsizetype& pos);

    QByteArray m_log;
    bool m_requireKey = false;
    std::optional<quint32> m_fakeLogSize;
    int m_doorOpenings = 0;
    SimFaults m_faults;
    SimFingerSensor m_sensor;
    SimTemplateStore m_templates;
};
