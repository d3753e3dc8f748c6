#pragma once

#include <string>
#include <string_view>

// Windows-1252 (how lesson terms are stored) against Unicode, for text that comes from or goes
// to files in UTF-8. Every byte has a character: the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number, so bytes
// survive the way out and back unchanged.

// The character of a byte.
char32_t windows1252Char(unsigned char byte);
// The byte of a character, or -1 when Windows-1252 has none.
int windows1252Byte(char32_t codePoint);

// Decodes one UTF-8 sequence at text[pos]: the code point and its length in bytes, or a
// length of 0 when the bytes there are no valid UTF-8 (overlong forms, surrogates and values
// above U+10FFFF included).
struct Utf8Char {
    char32_t codePoint;
    std::size_t length;
};
Utf8Char decodeUtf8(std::string_view text, std::size_t pos);
void appendUtf8(std::string& out, char32_t codePoint);
bool isValidUtf8(std::string_view text);

// Windows-1252 bytes as UTF-8.
std::string windows1252ToUtf8(std::string_view bytes);
