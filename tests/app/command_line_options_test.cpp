#include "command_line.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

struct OptionsCase {
    const char* name;
    std::vector<std::string> args;
    std::size_t first; // the trainer's option or the unknown one; args.size() for none
};

class FirstTrainerOption : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(FirstTrainerOption, PassesQtsOptionsOn)
{
    const std::set<std::string> files = {"liste.lsn", "--seltsam.lsn"};
    const auto isFile = [&files](const std::string& arg) { return files.count(arg) > 0; };
    EXPECT_EQ(firstTrainerOption(GetParam().args, isFile), GetParam().first);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, FirstTrainerOption,
    ::testing::Values(
        OptionsCase{"nothing", {}, 0}, OptionsCase{"a_lesson", {"liste.lsn"}, 1},
        OptionsCase{"help", {"--help"}, 0},
        OptionsCase{"version_after_a_lesson", {"liste.lsn", "--version"}, 1},
        OptionsCase{"unknown", {"--neu"}, 0},
        OptionsCase{"a_file_named_like_an_option", {"--seltsam.lsn"}, 1},
        OptionsCase{"platform_with_two_dashes", {"--platform", "offscreen", "liste.lsn"}, 3},
        OptionsCase{"platform_with_one_dash", {"-platform", "offscreen"}, 2},
        OptionsCase{"style_then_unknown", {"--style", "Fusion", "--neu"}, 2},
        OptionsCase{"style_joined", {"--style=Fusion", "--version"}, 1},
        OptionsCase{"a_value_like_an_option", {"--qwindowtitle", "--help"}, 2},
        OptionsCase{"value_option_last", {"liste.lsn", "--style"}, 1},
        OptionsCase{"options_without_value", {"--reverse", "-widgetcount", "liste.lsn"}, 3},
        OptionsCase{
            "display_and_geometry", {"--display", ":1", "--geometry", "10x10+0+0", "--help"}, 4},
        OptionsCase{"qml_debugger", {"--qmljsdebugger=port:1234"}, 1},
        OptionsCase{"a_near_miss_is_unknown", {"--platforms", "offscreen"}, 0},
        OptionsCase{"upper_case_is_unknown", {"--STYLE", "Fusion"}, 0}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
