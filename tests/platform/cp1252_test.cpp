#include "cp1252.h"
#include "cp1252_validator.h"

#include <string>

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

std::string allBytes()
{
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(i);
    return bytes;
}

TEST(Cp1252, EveryByteSurvivesTheRoundTripAsItsOwnCharacter)
{
    const std::string bytes = allBytes();
    const QString text = fromCp1252(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toCp1252(text), bytes);
    for (const QChar c : text)
        EXPECT_TRUE(cp1252CanEncode(c)) << std::hex << static_cast<int>(c.unicode());
    for (qsizetype i = 0; i < text.size(); ++i)
        EXPECT_EQ(text.indexOf(text[i]), i) << "byte " << i << " shares its character";
}

struct ByteRow {
    const char* name;
    unsigned char byte;
    char16_t character;
};

class Cp1252Bytes : public ::testing::TestWithParam<ByteRow> {};

TEST_P(Cp1252Bytes, DecodesAndEncodes)
{
    const ByteRow& row = GetParam();
    const std::string bytes(1, static_cast<char>(row.byte));
    EXPECT_EQ(fromCp1252(bytes), QString(QChar(row.character)));
    EXPECT_EQ(toCp1252(QString(QChar(row.character))), bytes);
}

INSTANTIATE_TEST_SUITE_P(Table, Cp1252Bytes,
    ::testing::Values(ByteRow{"nul", 0x00, 0x0000}, ByteRow{"ascii_A", 0x41, u'A'},
                      ByteRow{"euro", 0x80, u'€'}, ByteRow{"undefined_81", 0x81, 0x0081},
                      ByteRow{"undefined_8D", 0x8D, 0x008D}, ByteRow{"undefined_8F", 0x8F, 0x008F},
                      ByteRow{"undefined_90", 0x90, 0x0090}, ByteRow{"undefined_9D", 0x9D, 0x009D},
                      ByteRow{"low_quote", 0x82, u'‚'}, ByteRow{"s_caron", 0x8A, u'Š'},
                      ByteRow{"oe", 0x9C, u'œ'}, ByteRow{"y_diaeresis", 0x9F, u'Ÿ'},
                      ByteRow{"nbsp", 0xA0, 0x00A0}, ByteRow{"a_umlaut", 0xE4, u'ä'},
                      ByteRow{"sharp_s", 0xDF, u'ß'}, ByteRow{"y_acute_last", 0xFF, u'ÿ'}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnencodableRow {
    const char* name;
    char32_t codePoint;
};

class Cp1252Unencodable : public ::testing::TestWithParam<UnencodableRow> {};

TEST_P(Cp1252Unencodable, IsRefusedAndWrittenAsOneQuestionMark)
{
    const char32_t cp = GetParam().codePoint;
    EXPECT_FALSE(cp1252CanEncode(cp));
    const QString text = QStringLiteral("a") + QString::fromUcs4(&cp, 1) + QStringLiteral("b");
    EXPECT_FALSE(cp1252CanEncode(text));
    EXPECT_EQ(toCp1252(text), "a?b");
}

INSTANTIATE_TEST_SUITE_P(Table, Cp1252Unencodable,
    ::testing::Values(UnencodableRow{"l_stroke", U'Ł'}, UnencodableRow{"c1_control_80", 0x80},
                      UnencodableRow{"c1_control_9F", 0x9F}, UnencodableRow{"cyrillic", U'Ж'},
                      UnencodableRow{"emoji_beyond_bmp", U'😀'}, UnencodableRow{"o_double_acute", U'ő'}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp1252, SurrogateHalvesAreNotEncodable)
{
    EXPECT_FALSE(cp1252CanEncode(QChar(0xD83D)));
    EXPECT_FALSE(cp1252CanEncode(QChar(0xDE00)));
    EXPECT_EQ(toCp1252(QString(QChar(0xD83D))), "?");
}

// --- the field guard -------------------------------------------------------------------

enum class Way { Typed, Pasted };

struct GuardRow {
    const char* name;
    Way way;
    const char16_t* input;
    const char16_t* expected; // the field's text afterwards, starting from "Wort"
};

class Cp1252FieldGuard : public ::testing::TestWithParam<GuardRow> {};

TEST_P(Cp1252FieldGuard, KeepsOnlyStorableText)
{
    const GuardRow& row = GetParam();
    QLineEdit field;
    guardCp1252Input(&field);
    field.setText(QStringLiteral("Wort"));
    field.setCursorPosition(4);
    const QString input = QString::fromUtf16(row.input);

    if (row.way == Way::Typed) {
        // One key event carrying the whole text, as a keyboard or an input method sends it.
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, input);
        QApplication::sendEvent(&field, &key);
    } else {
        QApplication::clipboard()->setText(input);
        ASSERT_EQ(QApplication::clipboard()->text(), input) << "no clipboard on this platform";
        field.paste();
    }
    EXPECT_EQ(field.text(), QString::fromUtf16(row.expected));
}

INSTANTIATE_TEST_SUITE_P(Table, Cp1252FieldGuard,
    ::testing::Values(
        GuardRow{"typed_umlaut", Way::Typed, u"ä", u"Wortä"},
        GuardRow{"typed_euro", Way::Typed, u"€", u"Wort€"},
        GuardRow{"typed_l_stroke", Way::Typed, u"Ł", u"Wort"},
        GuardRow{"typed_emoji", Way::Typed, u"😀", u"Wort"},
        GuardRow{"pasted_latin", Way::Pasted, u" Straße", u"Wort Straße"},
        GuardRow{"pasted_euro", Way::Pasted, u"€", u"Wort€"},
        GuardRow{"pasted_with_l_stroke", Way::Pasted, u"xŁy", u"Wort"},
        GuardRow{"pasted_emoji", Way::Pasted, u"😀", u"Wort"},
        GuardRow{"pasted_line_break", Way::Pasted, u"a\nb", u"Wort"},
        GuardRow{"pasted_tab", Way::Pasted, u"a\tb", u"Wort"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp1252FieldGuard, LimitsTheFieldTo78CharactersWhichAre78Bytes)
{
    QLineEdit field;
    guardCp1252Input(&field);
    QApplication::clipboard()->setText(QString(100, QChar(u'ü')));
    field.paste();
    EXPECT_EQ(field.text().size(), kTermFieldMaxChars);
    EXPECT_EQ(toCp1252(field.text()).size(), std::size_t{78});
}

TEST(Cp1252FieldGuard, TakesAShorterLimitForThresholdFields)
{
    QLineEdit field;
    guardCp1252Input(&field, 3);
    QApplication::clipboard()->setText(QStringLiteral("12345"));
    field.paste();
    EXPECT_EQ(field.text(), QStringLiteral("123"));
}

} // namespace
