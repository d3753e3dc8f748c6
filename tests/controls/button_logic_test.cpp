#include "button_logic.h"

#include <gtest/gtest.h>

namespace {

struct FlashRow {
    const char* name;
    Rgb base;
    Rgb expected;
};

class FlashColour : public testing::TestWithParam<FlashRow> {};

TEST_P(FlashColour, FirstRuleThatAppliesWins)
{
    EXPECT_EQ(flashColourFor(GetParam().base), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FlashColour,
    testing::Values(
        FlashRow{"red_to_dark_red", kRed, kDarkRed}, FlashRow{"dark_red_to_red", kDarkRed, kRed},
        FlashRow{"green_to_dark_green", kGreen, kDarkGreen},
        FlashRow{"dark_green_to_green", kDarkGreen, kGreen},
        FlashRow{"blue_to_navy", kBlue, makeRgb(0, 0, 128)},
        FlashRow{"navy_to_blue", makeRgb(0, 0, 128), kBlue},
        FlashRow{"black_to_blue", kBlack, kBlue}, FlashRow{"white_red_first", kWhite, kDarkRed},
        FlashRow{"yellow_red_first", kYellow, kDarkRed},
        FlashRow{"bright_green_before_dim_red", makeRgb(128, 200, 0), kDarkGreen},
        FlashRow{"red_129_is_above_half", makeRgb(129, 0, 0), kDarkRed},
        FlashRow{"red_1_is_dim", makeRgb(1, 0, 0), kRed},
        FlashRow{"dim_green_before_bright_blue", makeRgb(0, 1, 200), makeRgb(0, 0, 128)},
        FlashRow{"dim_green_alone", makeRgb(0, 100, 0), kGreen}),
    [](const testing::TestParamInfo<FlashRow>& info) { return info.param.name; });

struct FaceRow {
    const char* name;
    unsigned state;
    bool on;
    bool toggles;
    bool locked;
    bool justPushed;
    bool onAfter;
    bool showOnFace;
};

class ChooseFace : public testing::TestWithParam<FaceRow> {};

TEST_P(ChooseFace, FollowsTheWholeState)
{
    const FaceRow& r = GetParam();
    const FaceChoice choice = chooseFace(r.state, r.on, r.toggles, r.locked, r.justPushed);
    EXPECT_EQ(choice.on, r.onAfter);
    EXPECT_EQ(choice.showOnFace, r.showOnFace);
}

constexpr unsigned kHeld = ItemSelected | ItemFocus;

INSTANTIATE_TEST_SUITE_P(
    Rows, ChooseFace,
    testing::Values(
        FaceRow{"command_at_rest_focused", ItemFocus, false, false, false, false, false, false},
        FaceRow{"command_held", kHeld, false, false, false, true, false, true},
        FaceRow{"command_on_at_rest", 0, true, false, false, false, true, true},
        FaceRow{"command_on_held_shows_off_face", kHeld, true, false, false, true, true, false},
        FaceRow{"toggle_pushed_flips_shows_old_face", kHeld, false, true, false, true, true, false},
        FaceRow{"toggle_on_pushed_flips_off", kHeld, true, true, false, true, false, true},
        FaceRow{"toggle_repaint_while_held_keeps_state", kHeld, true, true, false, false, true,
                false},
        FaceRow{"locked_toggle_pushed_like_command", kHeld, false, true, true, true, false, true},
        FaceRow{"held_without_focus_at_rest_no_flip", ItemSelected, false, true, false, true, false,
                false},
        FaceRow{"disabled_held_at_rest_no_flip", kHeld | ItemDisabled, true, true, false, true,
                true, true},
        FaceRow{"toggle_released_on_face", ItemFocus, true, true, false, false, true, true}),
    [](const testing::TestParamInfo<FaceRow>& info) { return info.param.name; });

} // namespace
