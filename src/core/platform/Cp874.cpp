#include "core/platform/Cp874.h"

#include <array>

namespace {

constexpr char16_t kUndefinedBase = 0xF700;

constexpr std::array<char16_t, 256> buildTable()
{
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b)
        t[b] = static_cast<char16_t>(b < 0x80 ? b : kUndefinedBase + b);
    t[0x80] = 0x20AC;
    t[0x85] = 0x2026;
    t[0x91] = 0x2018;
    t[0x92] = 0x2019;
    t[0x93] = 0x201C;
    t[0x94] = 0x201D;
    t[0x95] = 0x2022;
    t[0x96] = 0x2013;
    t[0x97] = 0x2014;
    t[0xA0] = 0x00A0;
    for (int b = 0xA1; b <= 0xDA; ++b)
        t[b] = static_cast<char16_t>(0x0E01 + (b - 0xA1));
    for (int b = 0xDF; b <= 0xFB; ++b)
        t[b] = static_cast<char16_t>(0x0E3F + (b - 0xDF));
    return t;
}

constexpr std::array<char16_t, 256> kTable = buildTable();

} // namespace

namespace Cp874 {

QChar charOf(unsigned char code)
{
    return QChar(kTable[code]);
}

int codeOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u;
    if (u >= 0x0E01 && u <= 0x0E3A)
        return 0xA1 + (u - 0x0E01);
    if (u >= 0x0E3F && u <= 0x0E5B)
        return 0xDF + (u - 0x0E3F);
    if (u >= kUndefinedBase + 0x80 && u <= kUndefinedBase + 0xFF && kTable[u - kUndefinedBase] == u)
        return u - kUndefinedBase;
    for (int b = 0x80; b <= 0xA0; ++b) {
        if (kTable[b] == u)
            return b;
    }
    return -1;
}

QString decode(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        dst[i] = QChar(kTable[static_cast<unsigned char>(bytes[i])]);
    return out;
}

QByteArray encode(const QString& text, bool* ok)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    bool all = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int code = codeOf(text[i]);
        if (code < 0) {
            all = false;
            out[i] = '?';
        } else {
            out[i] = static_cast<char>(code);
        }
    }
    if (ok)
        *ok = all;
    return out;
}

void append(QByteArray& out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size());
    char* dst = out.data() + start;
    for (const QChar c : text) {
        const int code = c.unicode() < 0x80 ? c.unicode() : codeOf(c);
        *dst++ = code < 0 ? '?' : static_cast<char>(code);
    }
}

} // namespace Cp874
