#pragma once

#include "core/terminal/Tq90Protocol.h"

#include <QString>

#include <map>
#include <optional>

// Faults the operator or a test has asked the simulator to show on chosen functions.
class SimFaults final
{
public:
    enum class Kind {
        Code,    // answer with the chosen result code
        Silent,  // never answer
        Corrupt, // answer with a damaged checksum
        Drop,    // send half the answer, then close the connection
        Short,   // answer with a frame too short to hold a result
        Giant,   // announce a frame of 4 GiB, then send nothing
        Trickle, // send the answer one byte every 100 ms
        Grow,    // answer, then take a punch (one taken while the log is downloaded)
    };
    struct Fault
    {
        Kind kind = Kind::Code;
        int code = 0;
        int times = 1; // 0: until cleared
    };

    void set(Tq90Protocol::Command command, Fault fault) { m_faults[command] = fault; }
    void clear() { m_faults.clear(); }
    // The fault to show on this call, counting it down.
    std::optional<Fault> take(Tq90Protocol::Command command);
    static std::optional<Kind> kindFromName(const QString& name);
    int size() const { return static_cast<int>(m_faults.size()); }

private:
    std::map<Tq90Protocol::Command, Fault> m_faults;
};
