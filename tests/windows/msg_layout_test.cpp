#include "msg_layout.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::u16string numberedLines(int count, bool trailingBreak)
{
    std::u16string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += u'\r';
        for (const char c : "L" + std::to_string(i))
            text += static_cast<char16_t>(c);
    }
    if (trailingBreak)
        text += u'\r';
    return text;
}

struct SplitRow {
    const char* name;
    std::u16string text;
    std::vector<std::u16string> lines;
};

class SplitMessageLines : public ::testing::TestWithParam<SplitRow> {};

TEST_P(SplitMessageLines, BreaksAtCarriageReturnsOnly)
{
    EXPECT_EQ(splitMessageLines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Table, SplitMessageLines,
    ::testing::Values(
        SplitRow{"empty_line_between", u"a\r\rb", {u"a", u" ", u"b"}},
        SplitRow{"empty_text", u"", {u" "}},
        SplitRow{"trailing_break", u"Ende\r", {u"Ende", u" "}},
        SplitRow{"break_alone", u"\r", {u" ", u" "}},
        SplitRow{"crlf_keeps_lf", u"a\r\nb\r\nc", {u"a", u"\nb", u"\nc"}},
        SplitRow{"lf_is_text", u"eins\nzwei", {u"eins\nzwei"}},
        SplitRow{"blank_text_stays", u"  ", {u"  "}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitMessageLines, KeepsTheFirst49Lines)
{
    const auto sixty = splitMessageLines(numberedLines(60, false));
    ASSERT_EQ(sixty.size(), 49u);
    EXPECT_EQ(sixty.front(), u"L0");
    EXPECT_EQ(sixty.back(), u"L48");

    // The blank line after a 49th line's break would be the 50th: dropped.
    EXPECT_EQ(splitMessageLines(numberedLines(49, true)).size(), 49u);
    EXPECT_EQ(splitMessageLines(std::u16string(80, u'\r')).size(), 49u);
}

struct GeometryRow {
    const char* name;
    int widest;
    int lineHeight;
    int lines;
    MsgOwnerRect owner;
    MsgGeometry expected;
};

class MessageWindowGeometry : public ::testing::TestWithParam<GeometryRow> {};

TEST_P(MessageWindowGeometry, SizesAndCentres)
{
    const GeometryRow& r = GetParam();
    EXPECT_EQ(messageWindowGeometry(r.widest, r.lineHeight, r.lines, r.owner), r.expected);
}

// Client height = lines x line height + 10; the 19 px title bar counts for centring only.
INSTANTIATE_TEST_SUITE_P(Table, MessageWindowGeometry,
    ::testing::Values(
        // 3 lines of 16 px: 58 px client, 77 px with the title bar.
        GeometryRow{"three_lines", 100, 16, 3, {0, 0, 636, 383}, {262, 153, 112, 58}},
        GeometryRow{"eighth_dropped", 7, 10, 1, {0, 0, 100, 100}, {47, 31, 7, 20}},
        GeometryRow{"owner_offset", 160, 20, 2, {100, 50, 640, 480}, {330, 256, 180, 50}},
        GeometryRow{"odd_halves_round_down", 161, 20, 1, {0, 0, 641, 481}, {230, 216, 181, 30}},
        GeometryRow{"larger_than_owner_at_top_left", 800, 20, 49, {10, 10, 100, 50},
                    {0, 0, 900, 990}},
        GeometryRow{"owner_off_screen_left", 80, 10, 1, {-300, 100, 200, 200},
                    {0, 181, 90, 20}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CountDownRow {
    const char* name;
    int timeoutMs;
    int seconds;
    std::vector<std::string> captions; // shown after each tick before the closing one
};

class MessageCountDown : public ::testing::TestWithParam<CountDownRow> {};

TEST_P(MessageCountDown, ShowsTheSecondsLeftAndEndsOnce)
{
    const CountDownRow& r = GetParam();
    MsgCountDown countDown(r.timeoutMs);
    EXPECT_EQ(countDown.remaining(), r.seconds);
    EXPECT_EQ(countDown.running(), r.seconds > 0);
    if (r.seconds == 0) {
        EXPECT_FALSE(countDown.tick()) << "no time-out never ends";
        return;
    }
    std::vector<std::string> shown;
    while (!countDown.tick())
        shown.push_back(countDown.caption());
    EXPECT_EQ(shown, r.captions);
    EXPECT_FALSE(countDown.tick()) << "a finished count-down ends only once";
    EXPECT_EQ(countDown.remaining(), 0);
}

INSTANTIATE_TEST_SUITE_P(Table, MessageCountDown,
    ::testing::Values(CountDownRow{"none", -1, 0, {}},
                      CountDownRow{"zero_is_one_second", 0, 1, {}},
                      CountDownRow{"ms_999_is_one_second", 999, 1, {}},
                      CountDownRow{"ms_1999_drops_the_rest", 1999, 1, {}},
                      CountDownRow{"ms_2000", 2000, 2, {"Timeout:1"}},
                      CountDownRow{"ms_12500", 12500, 12,
                                   {"Timeout:11", "Timeout:10", "Timeout:9", "Timeout:8",
                                    "Timeout:7", "Timeout:6", "Timeout:5", "Timeout:4",
                                    "Timeout:3", "Timeout:2", "Timeout:1"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
