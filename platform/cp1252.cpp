#include "cp1252.h"

#include <array>
#include <cstdint>

#include <QList>

namespace {

// Bytes 0x80 to 0x9F; every other byte is the code point of the same number.
constexpr std::array<char16_t, 32> kHighControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};
constexpr unsigned kRangeFirst = 0x80;
constexpr unsigned kRangeEnd = 0xA0;
constexpr unsigned kByteEnd = 0x100;

constexpr char16_t decode(std::uint8_t byte)
{
    if (byte >= kRangeFirst && byte < kRangeEnd) return kHighControlRange[byte - kRangeFirst];
    return byte;
}

// The byte for a code point, or -1.
int encode(char32_t codePoint)
{
    if (codePoint < kRangeFirst || (codePoint >= kRangeEnd && codePoint < kByteEnd))
        return static_cast<int>(codePoint);
    for (unsigned i = 0; i < kHighControlRange.size(); ++i) {
        if (kHighControlRange[i] == codePoint) return static_cast<int>(kRangeFirst + i);
    }
    return -1;
}

} // namespace

QString fromCp1252(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : bytes)
        *out++ = QChar(decode(static_cast<std::uint8_t>(byte)));
    return text;
}

std::string toCp1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const uint codePoint : text.toUcs4()) {
        const int byte = encode(static_cast<char32_t>(codePoint));
        bytes.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    }
    return bytes;
}

bool cp1252CanEncode(char32_t codePoint)
{
    return encode(codePoint) >= 0;
}

bool cp1252CanEncode(QChar c)
{
    return encode(c.unicode()) >= 0;
}

bool cp1252CanEncode(const QString& text)
{
    for (const QChar c : text) {
        if (!cp1252CanEncode(c)) return false;
    }
    return true;
}
