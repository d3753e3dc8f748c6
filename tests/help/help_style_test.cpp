#include "help_style.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PaletteCase {
    const char* name;
    PagePalette palette;
};

const PaletteCase kPalettes[] = {
    {"light_fusion", {{255, 255, 255}, {0, 0, 0}, {0, 0, 255}, {48, 140, 198}}},
    {"dark_scheme", {{36, 36, 36}, {232, 232, 232}, {42, 130, 218}, {42, 130, 218}}},
    {"dark_with_default_blue_link", {{30, 30, 30}, {255, 255, 255}, {0, 0, 255}, {0, 0, 128}}},
    {"grey_page", {{128, 128, 128}, {0, 0, 0}, {0, 0, 160}, {90, 90, 200}}},
    {"high_contrast_black", {{0, 0, 0}, {255, 255, 0}, {0, 255, 255}, {255, 255, 0}}},
};

// Every colour a page shows text in reads on the background it is shown on, whatever the
// palette: the fault this guards is a fixed dark colour on a dark page.
TEST(HelpPageColours, EveryTextReadsOnItsBackground)
{
    for (const PaletteCase& c : kPalettes) {
        SCOPED_TRACE(c.name);
        const PagePalette& p = c.palette;
        const PageColours colours = pageColours(p);
        const struct {
            const char* what;
            Rgb fore;
            Rgb back;
        } pairs[] = {
            {"heading", colours.heading, p.base},
            {"error heading", colours.errorHeading, p.base},
            {"link", colours.link, p.base},
            {"example", colours.example, p.base},
            {"text in a table head", p.text, colours.tableHeadBackground},
            {"code", p.text, colours.codeBackground},
            {"key", p.text, colours.keyBackground},
            {"note", p.text, colours.noteBackground},
        };
        for (const auto& pair : pairs)
            EXPECT_GE(contrastRatio(pair.fore, pair.back), kMinTextContrast) << pair.what;
        if (p.highlight != p.text) {
            EXPECT_NE(colours.heading, p.text) << "headings keep a colour of their own";
        }
    }
}

// A colour that reads already is kept (the light page keeps its designed look); one that does
// not is moved until it reads, keeping what it can of its hue.
TEST(HelpPageColours, ReadableColourStaysOrMoves)
{
    const struct {
        const char* name;
        Rgb colour;
        Rgb background;
        bool kept;
    } rows[] = {
        {"dark_blue_on_white_stays", {28, 70, 112}, {255, 255, 255}, true},
        {"dark_blue_on_dark_lightens", {28, 70, 112}, {36, 36, 36}, false},
        {"yellow_on_white_darkens", {255, 255, 0}, {255, 255, 255}, false},
        {"grey_on_grey", {128, 128, 128}, {120, 120, 120}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Rgb got = readableOn(row.colour, row.background, kMinTextContrast);
        EXPECT_GE(contrastRatio(got, row.background), kMinTextContrast);
        EXPECT_EQ(got == row.colour, row.kept);
    }
    const Rgb yellow = readableOn({255, 255, 0}, {255, 255, 255}, kMinTextContrast);
    EXPECT_GT(yellow.r, yellow.b) << "still yellowish, not black";
}

TEST(HelpPageColours, StyleSheetCarriesTheColours)
{
    const PageColours colours = pageColours(kPalettes[1].palette);
    const std::string css = helpPageStyle(colours);
    EXPECT_NE(css.find("h1 { font-size: 17pt; color: " + cssColour(colours.heading)),
              std::string::npos)
        << css;
    EXPECT_NE(css.find("a { color: " + cssColour(colours.link) + "; }"), std::string::npos);
    EXPECT_EQ(cssColour({28, 70, 112}), "#1c4670");
}

TEST(HelpWindowSize, FitsTheFreeScreenAreaWithItsFrame)
{
    const struct {
        const char* name;
        WindowSize available;
        int width;
        int height;
    } rows[] = {
        {"large_screen_keeps_the_size", {1920, 1040}, 860, 620},
        {"scale_2_on_1920x1080", {960, 540}, 860, 492},
        {"small_netbook", {800, 600}, 784, 552},
        {"absurd_screen", {0, 0}, 1, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const WindowSize got = fitWindowSize({860, 620}, row.available, {16, 48});
        EXPECT_EQ(got.width, row.width);
        EXPECT_EQ(got.height, row.height);
    }
}

} // namespace
