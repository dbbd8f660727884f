// The log decoder: every 16 bytes are a punch, whatever they hold, and decode to the same bytes.
#include "FuzzCheck.h"
#include "core/terminal/LogRecord.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    for (std::size_t at = 0; at + LogRecord::Size <= size; at += LogRecord::Size) {
        const LogRecord record = LogRecord::decode(bytes + at);
        FUZZ_REQUIRE(record.encode() == QByteArray(bytes + at, LogRecord::Size));
        FUZZ_REQUIRE(record.userId <= LogRecord::MaxUserId);
        FUZZ_REQUIRE(record.wDate().count(u'/') == 2 && record.wTime().count(u':') == 2);
        FUZZ_REQUIRE(record.hid().toULongLong() == record.userId);
        FUZZ_REQUIRE(!record.fid().isEmpty() && !record.gid().isEmpty() && !record.statusText().isEmpty());
    }
    return 0;
}
