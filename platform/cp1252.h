#pragma once

#include <string>
#include <string_view>

#include <QChar>
#include <QString>

// The one table between Windows-1252 bytes (how terms are stored) and Unicode (how widgets
// show them). Every byte has a character: the five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number, so a
// byte string survives fromCp1252 and toCp1252 unchanged.

QString fromCp1252(std::string_view bytes);

// Characters the table cannot hold become '?'. Fields never hold such characters (see
// Cp1252Validator); this is the last resort for text from elsewhere.
std::string toCp1252(const QString& text);

// Whether a character (a Unicode code point, or one UTF-16 unit) has a Windows-1252 byte.
// Surrogate halves never do.
bool cp1252CanEncode(char32_t codePoint);
bool cp1252CanEncode(QChar c);
// Whether every character of the text has one.
bool cp1252CanEncode(const QString& text);
