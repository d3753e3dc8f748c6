#include "cp1252.h"

#include "windows1252.h"

#include <cstdint>

#include <QList>

namespace {

char16_t decode(std::uint8_t byte)
{
    // Every character of the table lies in the Basic Multilingual Plane.
    return static_cast<char16_t>(windows1252Char(byte));
}

int encode(char32_t codePoint)
{
    return windows1252Byte(codePoint);
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
