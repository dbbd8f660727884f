// The terminal frame parser: any byte stream, cut anywhere, gives frames, damaged frames or a
// broken stream, never a payload beyond the limit; and a payload framed is parsed back whole.
#include "FuzzCheck.h"
#include "core/terminal/Tq90Protocol.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Tq90Protocol;
    constexpr qint64 Limit = 1 << 16;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // the stream arrives in pieces whose sizes the first byte sets
    FrameParser parser(Limit);
    const qsizetype piece = bytes.isEmpty() ? 1 : 1 + static_cast<unsigned char>(bytes[0]);
    bool broken = false;
    for (qsizetype at = 0; at < bytes.size() && !broken; at += piece) {
        parser.append(bytes.mid(at, piece));
        for (;;) {
            const FrameParser::State state = parser.next();
            if (state == FrameParser::State::Frame)
                FUZZ_REQUIRE(!parser.payload().isEmpty() && parser.payload().size() <= Limit);
            if (state == FrameParser::State::Broken) {
                FUZZ_REQUIRE(!parser.brokenReason().isEmpty());
                broken = true;
            }
            if (state == FrameParser::State::NeedMore || state == FrameParser::State::Broken)
                break;
        }
    }

    if (!bytes.isEmpty() && bytes.size() <= Limit) {
        FrameParser again(Limit);
        again.append(encodeFrame(bytes));
        FUZZ_REQUIRE(again.next() == FrameParser::State::Frame && again.payload() == bytes);
        FUZZ_REQUIRE(again.next() == FrameParser::State::NeedMore);
    }
    return 0;
}
