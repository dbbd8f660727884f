// The access-control service's line protocol: lines taken from any bytes stay within the line
// limit, answers parse or are refused, and texts survive the hexadecimal form.
#include "FuzzCheck.h"
#include "core/accesscontrol/QorProtocol.h"
#include "core/platform/Cp874.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace QorProtocol;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    QByteArray buffer = bytes;
    bool tooLong = false;
    while (const std::optional<QByteArray> line = takeLine(buffer, &tooLong)) {
        FUZZ_REQUIRE(line->size() < MaxLine && !line->contains('\n'));
        if (const std::optional<Answer> answer = parseAnswer(*line))
            FUZZ_REQUIRE(answer->ok || (answer->code >= 0 && answer->code <= 999));
        for (const QByteArray& word : words(*line))
            (void)number(word, 0xFFFFFFFFu);
        (void)fromHex(*line);
    }
    FUZZ_REQUIRE(!tooLong || buffer.size() >= MaxLine || buffer.contains('\n'));

    const QString text = Cp874::decode(bytes);
    FUZZ_REQUIRE(fromHex(toHex(text)) == text);
    QByteArray sent = error(NoSuchFacility, text);
    const std::optional<QByteArray> received = takeLine(sent, nullptr);
    FUZZ_REQUIRE(received && sent.isEmpty());
    const std::optional<Answer> refusal = parseAnswer(*received);
    FUZZ_REQUIRE(refusal && !refusal->ok && refusal->code == NoSuchFacility);
    return 0;
}
