// The INI reader and writer: any bytes read back unchanged; after a write, the document answers
// as the same bytes read again do; and a plain value written reads back as written.
#include "FuzzCheck.h"
#include "core/platform/Cp874.h"
#include "core/platform/IniFile.h"

#include <cstdint>

namespace {

// The document answers for section and key as a fresh reading of its bytes does.
void requireSameAnswer(const IniDocument& doc, const QString& section, const QString& key)
{
    FUZZ_REQUIRE(IniDocument::fromBytes(doc.toBytes()).value(section, key) == doc.value(section, key));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    IniDocument doc = IniDocument::fromBytes(bytes);
    FUZZ_REQUIRE(doc.toBytes() == bytes);

    // names and a value of any kind from the input's head: "section\1key\1value\1..."
    const QList<QByteArray> head = bytes.left(96).split('\1');
    if (head.size() > 3) {
        const QString section = Cp874::decode(head[0]);
        const QString key = Cp874::decode(head[1]);
        doc.setValue(section, key, Cp874::decode(head[2]));
        requireSameAnswer(doc, section, key);
    }

    const QString section = QStringLiteral("text");
    const QString key = QStringLiteral("IP");
    const QString value = QStringLiteral("10.0.0.7");
    doc.setValue(section, key, value);
    FUZZ_REQUIRE(doc.value(section, key) == value);
    requireSameAnswer(doc, section, key);
    requireSameAnswer(doc, QStringLiteral("ZUNDataView"), QStringLiteral("Rows"));
    const QByteArray written = doc.toBytes();
    FUZZ_REQUIRE(IniDocument::fromBytes(written).toBytes() == written);
    return 0;
}
