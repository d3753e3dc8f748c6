#include "cp1252.h"
#include "cp1252_validator.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

TEST(Cp1252, EveryByteSurvivesTheRoundTripAsItsOwnCharacter)
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    const QString text = fromCp1252(bytes);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(toCp1252(text), bytes);
    for (qsizetype i = 0; i < text.size(); ++i)
        EXPECT_EQ(text.indexOf(text[i]), i) << "byte " << i << " shares its character";
}

struct CharRow {
    const char* name;
    char32_t character;
    int byte; // -1: not in the table, written as '?'
};

class Cp1252Chars : public ::testing::TestWithParam<CharRow> {};

TEST_P(Cp1252Chars, EncodeAndDecode)
{
    const CharRow& r = GetParam();
    const QString text = QStringLiteral("a") + QString::fromUcs4(&r.character, 1);
    EXPECT_EQ(cp1252CanEncode(r.character), r.byte >= 0);
    EXPECT_EQ(toCp1252(text), std::string("a") + (r.byte >= 0 ? static_cast<char>(r.byte) : '?'));
    if (r.byte >= 0) {
        EXPECT_EQ(fromCp1252(std::string(1, static_cast<char>(r.byte))), text.mid(1));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp1252Chars,
    ::testing::Values(CharRow{"nul", 0, 0x00}, CharRow{"euro", U'€', 0x80},
                      CharRow{"undefined_81", 0x81, 0x81}, CharRow{"undefined_9D", 0x9D, 0x9D},
                      CharRow{"oe", U'œ', 0x9C}, CharRow{"y_diaeresis", U'Ÿ', 0x9F},
                      CharRow{"a_umlaut", U'ä', 0xE4}, CharRow{"y_acute", U'ÿ', 0xFF},
                      CharRow{"c1_control_80", 0x80, -1}, CharRow{"l_stroke", U'Ł', -1},
                      CharRow{"emoji_one_question_mark", U'😀', -1}),
    [](const auto& info) { return std::string(info.param.name); });

enum class Way { Typed, Pasted };

struct GuardRow {
    const char* name;
    Way way;
    const char16_t* input;
    const char16_t* expected; // the field's text afterwards, starting from "Wort"
};

class Cp1252FieldGuard : public ::testing::TestWithParam<GuardRow> {};

TEST_P(Cp1252FieldGuard, RefusesWhatCannotBeStoredAndKeepsTheField)
{
    const GuardRow& row = GetParam();
    QLineEdit field(QStringLiteral("Wort"));
    guardCp1252Input(&field);
    const QString input = QString::fromUtf16(row.input);
    if (row.way == Way::Typed) {
        // One key event with the whole text, as a keyboard or an input method sends it.
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, input);
        QApplication::sendEvent(&field, &key);
    } else {
        QApplication::clipboard()->setText(input);
        field.paste();
    }
    EXPECT_EQ(field.text(), QString::fromUtf16(row.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp1252FieldGuard,
    ::testing::Values(GuardRow{"typed_euro", Way::Typed, u"€", u"Wort€"},
                      GuardRow{"typed_l_stroke", Way::Typed, u"Ł", u"Wort"},
                      GuardRow{"typed_emoji", Way::Typed, u"😀", u"Wort"},
                      GuardRow{"pasted_latin", Way::Pasted, u" Straße €", u"Wort Straße €"},
                      GuardRow{"pasted_with_l_stroke", Way::Pasted, u"xŁy", u"Wort"},
                      GuardRow{"pasted_emoji", Way::Pasted, u"😀", u"Wort"},
                      GuardRow{"pasted_line_break", Way::Pasted, u"a\nb", u"Wort"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cp1252FieldGuard, Holds78CharactersWhichAre78Bytes)
{
    QLineEdit field;
    guardCp1252Input(&field);
    QApplication::clipboard()->setText(QString(100, QChar(u'ü')));
    field.paste();
    EXPECT_EQ(toCp1252(field.text()).size(), std::size_t{78});
}

} // namespace
