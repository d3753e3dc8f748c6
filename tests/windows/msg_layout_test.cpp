#include "msg_layout.h"

#include <gtest/gtest.h>

namespace {

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

INSTANTIATE_TEST_SUITE_P(
    Table, SplitMessageLines,
    ::testing::Values(SplitRow{"empty_line_between", u"a\r\rb", {u"a", u" ", u"b"}},
                      SplitRow{"empty_text", u"", {u" "}},
                      SplitRow{"trailing_break", u"Ende\r", {u"Ende", u" "}},
                      SplitRow{"crlf_keeps_lf", u"a\r\nb\r\nc", {u"a", u"\nb", u"\nc"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SplitMessageLines, KeepsTheFirst49Lines)
{
    std::u16string sixty;
    for (char16_t i = 0; i < 60; ++i)
        sixty += std::u16string{static_cast<char16_t>(u'0' + i), u'\r'};
    const auto lines = splitMessageLines(sixty);
    ASSERT_EQ(lines.size(), 49u);
    EXPECT_EQ(lines.back(), std::u16string{static_cast<char16_t>(u'0' + 48)});
}

struct GeometryRow {
    const char* name;
    int widest, lineHeight, lines;
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
INSTANTIATE_TEST_SUITE_P(
    Table, MessageWindowGeometry,
    ::testing::Values(
        GeometryRow{"three_lines", 100, 16, 3, {0, 0, 636, 383}, {262, 153, 112, 58}},
        GeometryRow{"odd_halves_round_down", 161, 20, 1, {0, 0, 641, 481}, {230, 216, 181, 30}},
        GeometryRow{
            "larger_than_owner_at_top_left", 800, 20, 49, {10, 10, 100, 50}, {0, 0, 900, 990}},
        GeometryRow{"owner_off_screen_left", 80, 10, 1, {-300, 100, 200, 200}, {0, 181, 90, 20}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CountDownRow {
    const char* name;
    int timeoutMs;
    int seconds;
    std::vector<std::string> captions; // after each tick but the closing one
};

class MessageCountDown : public ::testing::TestWithParam<CountDownRow> {};

TEST_P(MessageCountDown, ShowsTheSecondsLeftAndEndsOnce)
{
    const CountDownRow& r = GetParam();
    MsgCountDown countDown(r.timeoutMs);
    EXPECT_EQ(countDown.remaining(), r.seconds);
    std::vector<std::string> shown;
    for (int tick = 0; tick < r.seconds && !countDown.tick(); ++tick)
        shown.push_back(countDown.caption());
    EXPECT_EQ(shown, r.captions);
    EXPECT_FALSE(countDown.running());
    EXPECT_FALSE(countDown.tick()) << "ends only once";
}

INSTANTIATE_TEST_SUITE_P(
    Table, MessageCountDown,
    ::testing::Values(CountDownRow{"none", -1, 0, {}}, CountDownRow{"zero", 0, 1, {}},
                      CountDownRow{"ms_999", 999, 1, {}}, CountDownRow{"ms_1999", 1999, 1, {}},
                      CountDownRow{"ms_2000", 2000, 2, {"Timeout:1"}},
                      CountDownRow{"ms_3500", 3500, 3, {"Timeout:2", "Timeout:1"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
