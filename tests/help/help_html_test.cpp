#include "help_html.h"

#include <gtest/gtest.h>

namespace {

std::string repeat(std::string_view piece, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

struct HtmlCase {
    const char* name;
    std::string html;
    const char* faultPart; // nullptr: within every bound
    std::size_t offset = 0;
};

TEST(HelpHtmlBounds, NestingTablesAndSpans)
{
    const std::string deepLists = repeat("<ul><li>", kMaxHtmlNesting / 2 + 1);
    const HtmlCase cases[] = {
        {"plain_topic", "<p>Text <b>fett</b></p>\n<ul><li>a</li><li>b</li></ul>", nullptr},
        {"open_items_are_siblings", repeat("<li>Punkt ", 1000) + repeat("<p>Absatz ", 1000),
         nullptr},
        {"closed_levels_do_not_add_up", repeat("<div><b>x</b></div>", 1000), nullptr},
        {"void_elements", repeat("<br><img src=a.png><hr/>", 1000), nullptr},
        {"comments_and_quoted_brackets",
         "<!-- <ul><ul><ul> --><a title=\"<ul><ul>\" href='<ul>'>x</a>" + repeat("<!x>", 100),
         nullptr},
        {"stray_brackets", repeat("a < b <3 </ > < ", 100), nullptr},
        {"tables_at_the_bound", repeat("<table><tr><td>", kMaxHtmlTableNesting), nullptr},
        {"span_at_the_bound", "<table><tr><td colspan=\"20\" rowspan=20>x</table>", nullptr},
        {"tables_at_the_cell_bound",
         repeat("<table>" + repeat("<tr><td>x</td><td>y</td></tr>", 50) + "</table>",
                kMaxHtmlTableCells / 100),
         nullptr},
        {"cells_outside_tables_are_not_counted", repeat("<td>", 2 * kMaxHtmlTableCells), nullptr},
        {"nested_lists", repeat("<ul><li>", 100000), "verschachtelt", 16 * 8},
        {"nested_lists_just_over", deepLists, "verschachtelt", (deepLists.size() - 8)},
        {"nested_tables", repeat("<table><tr><td>", 20000), "Tabellen", 4 * 15},
        {"one_wide_row_and_many_short_ones",
         "<table><tr>" + repeat("<td>", 1000) + repeat("<tr><td>", 1000), "Zellen",
         11 + 1000 * 4 + 9 * 8 + 4},
        {"colspans_add_up",
         "<table><tr>" + repeat("<td colspan=20>", 50) + repeat("<tr><td>", 9) + "<tr><td>",
         "Zellen", 11 + 50 * 15 + 9 * 8 + 4},
        {"rowspans_push_later_cells_right",
         "<table><tr>" + repeat("<td rowspan=20 colspan=20>", 25) + "<tr>" + repeat("<td>", 1),
         "Zellen", 11 + 25 * 26 + 4},
        {"closed_tables_count_too",
         repeat("<table><tr><td>x</td></tr></table>", kMaxHtmlTableCells + 1), "Zellen",
         kMaxHtmlTableCells * 34 + 11},
        {"nested_unknown_elements", repeat("<x-y>", 40), "verschachtelt", 32 * 5},
        {"self_closing_slash_closes_nothing", repeat("<ul/>", 40), "verschachtelt", 32 * 5},
        {"upper_case_tags", repeat("<UL><LI>", 40), "verschachtelt", 16 * 8},
        {"item_inside_bold_nests", repeat("<li><b>", 40), "verschachtelt", 16 * 7},
        {"end_tag_of_another_element", repeat("<div></span>", 40), "verschachtelt", 32 * 12},
        {"huge_colspan", "<table><tr><td colspan=\"1000000\">x</td>", "colspan", 11},
        {"huge_rowspan_unquoted", "<td rowspan=99999999999999999999>", "rowspan", 0},
        {"span_cut_off_at_the_end", "<td colspan=\"5000", "colspan", 0},
    };
    for (const HtmlCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto fault = checkHelpHtml(c.html);
        if (c.faultPart == nullptr) {
            EXPECT_FALSE(fault.has_value()) << fault->message;
            continue;
        }
        ASSERT_TRUE(fault.has_value());
        EXPECT_NE(fault->message.find(c.faultPart), std::string::npos) << fault->message;
        EXPECT_EQ(fault->offset, c.offset);
    }
}

} // namespace
