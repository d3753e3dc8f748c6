#include "help_command.h"

#include <gtest/gtest.h>

namespace {

struct ArgsCase {
    const char* name;
    std::vector<std::string> args;
    std::optional<HelpRequest> request; // nothing: refused (or usage)
    bool usage = false;
    friend std::ostream& operator<<(std::ostream& os, const ArgsCase& c) { return os << c.name; }
};

class HelpArgs : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(HelpArgs, ParsesTheTwoCommandsOnly)
{
    const ArgsCase& c = GetParam();
    const HelpArguments parsed = parseHelpArguments(c.args);
    EXPECT_EQ(parsed.request, c.request);
    EXPECT_EQ(parsed.usageRequested, c.usage);
    EXPECT_EQ(parsed.error.empty(), c.request.has_value() || c.usage) << parsed.error;
}

using A = HelpAction;

INSTANTIATE_TEST_SUITE_P(
    Cases, HelpArgs,
    ::testing::Values(ArgsCase{"force_file",
                               {"--force-file", "DODADIZE.HLP"},
                               HelpRequest{A::ForceFile, 0, "DODADIZE.HLP"}},
                      ArgsCase{"beside",
                               {"--beside", "DODADIZE.HLP"},
                               HelpRequest{A::ForceFile, 0, "DODADIZE.HLP", true}},
                      ArgsCase{"beside_without_file", {"--beside"}, std::nullopt},
                      ArgsCase{"context",
                               {"--context", "259", "DODADIZE.HLP"},
                               HelpRequest{A::Context, 259, "DODADIZE.HLP"}},
                      ArgsCase{"context_zero",
                               {"--context", "0", "/abs/x.hlp"},
                               HelpRequest{A::Context, 0, "/abs/x.hlp"}},
                      ArgsCase{"largest_topic",
                               {"--context", "4294967295", "h"},
                               HelpRequest{A::Context, 4294967295u, "h"}},
                      ArgsCase{"topic_too_large", {"--context", "4294967296", "h"}, std::nullopt},
                      ArgsCase{"negative_topic", {"--context", "-1", "h"}, std::nullopt},
                      ArgsCase{"topic_with_plus", {"--context", "+5", "h"}, std::nullopt},
                      ArgsCase{"topic_with_text", {"--context", "25x", "h"}, std::nullopt},
                      ArgsCase{"topic_missing", {"--context", "h"}, std::nullopt},
                      ArgsCase{"force_file_without_file", {"--force-file"}, std::nullopt},
                      ArgsCase{"force_file_with_empty_name", {"--force-file", ""}, std::nullopt},
                      ArgsCase{
                          "force_file_with_two_files", {"--force-file", "a", "b"}, std::nullopt},
                      ArgsCase{"unknown_command", {"--open", "a"}, std::nullopt},
                      ArgsCase{"bare_file_name", {"DODADIZE.HLP"}, std::nullopt},
                      ArgsCase{"nothing", {}, std::nullopt},
                      ArgsCase{"usage", {"--help"}, std::nullopt, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HelpWire, RequestsSurviveTheTrip)
{
    for (const HelpRequest& sent :
         {HelpRequest{A::ForceFile, 0, "QQ.HLP"}, HelpRequest{A::Context, 0, "QQ.HLP"},
          HelpRequest{A::Context, 259, "QQ.HLP"}, HelpRequest{A::Context, 4294967295u, "QQ.HLP"}}) {
        const std::string line = encodeHelpMessage(sent);
        EXPECT_EQ(line.back(), '\n');
        EXPECT_EQ(line.find('\n'), line.size() - 1) << "exactly one line";
        EXPECT_EQ(line.find("QQ"), std::string::npos) << "the file is not sent";
        const auto received = decodeHelpMessage(line);
        ASSERT_TRUE(received.has_value()) << line;
        EXPECT_EQ(received->action, sent.action);
        EXPECT_EQ(received->topic, sent.action == A::Context ? sent.topic : 0u);
        EXPECT_TRUE(received->file.empty());
    }
}

TEST(HelpWire, RefusesWhatIsNotARequest)
{
    const char* const lines[] = {
        "",
        "\n",
        "KAZ-HELP/2 force-file\n",
        "kaz-help/1 force-file\n",
        "KAZ-HELP/1\n",
        "KAZ-HELP/1 force-file now\n",
        "KAZ-HELP/1  force-file\n",
        "KAZ-HELP/1 context\n",
        "KAZ-HELP/1 context \n",
        "KAZ-HELP/1 context 12a\n",
        "KAZ-HELP/1 context -3\n",
        "KAZ-HELP/1 context 4294967296\n",
        "KAZ-HELP/1 open 3\n",
    };
    for (const char* line : lines)
        EXPECT_FALSE(decodeHelpMessage(line).has_value()) << '"' << line << '"';

    EXPECT_TRUE(decodeHelpMessage("KAZ-HELP/1 context 7").has_value()) << "line feed optional";
    std::string overlong = "KAZ-HELP/1 context " + std::string(kMaxHelpMessageBytes, '0') + "7";
    EXPECT_FALSE(decodeHelpMessage(overlong).has_value());
}

} // namespace
