#include "help_file.h"
#include "help_html.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace {

using namespace std::string_literals;

struct ParseCase {
    const char* name;
    std::string text;
    std::vector<TopicNumber> topics; // empty: the file must be refused
    std::size_t errorLine = 0;
    const char* errorPart = "";
    friend std::ostream& operator<<(std::ostream& os, const ParseCase& c) { return os << c.name; }
};

class HelpParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(HelpParse, AcceptsOrNamesTheLine)
{
    const ParseCase& c = GetParam();
    const HelpParseResult result = parseHelpText(c.text);
    if (c.topics.empty()) {
        ASSERT_FALSE(result.document.has_value());
        EXPECT_EQ(result.errorLine, c.errorLine);
        EXPECT_NE(result.error.find(c.errorPart), std::string::npos) << result.error;
        return;
    }
    ASSERT_TRUE(result.document.has_value())
        << result.error << " (line " << result.errorLine << ")";
    std::vector<TopicNumber> numbers;
    for (const HelpTopic& t : result.document->topics)
        numbers.push_back(t.number);
    EXPECT_EQ(numbers, c.topics);
    EXPECT_TRUE(result.error.empty());
}

const std::string kHead = "KAZ-HILFE 1\n";

std::string repeat(std::string_view piece, std::size_t times)
{
    std::string out;
    for (std::size_t i = 0; i < times; ++i)
        out += piece;
    return out;
}

std::string numberedTopics(std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += "@topic " + std::to_string(i) + " T\n";
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HelpParse,
    ::testing::Values(
        ParseCase{"one_topic", kHead + "@topic 7 Sieben\n<p>x</p>\n", {7}},
        ParseCase{"crlf_and_byte_order_mark",
                  "\xEF\xBB\xBFKAZ-HILFE 1\r\n@topic 1 A\r\nbody\r\n@topic 2 B\r\n",
                  {1, 2}},
        ParseCase{"no_final_line_break", kHead + "@topic 3 C\n<p>x</p>", {3}},
        ParseCase{"header_with_comments_title_and_contents",
                  kHead + "# comment\n\n@title Hilfe\n@contents 2\n@topic 1 A\nx\n@topic 2 B\ny\n",
                  {1, 2}},
        ParseCase{"largest_topic_number", kHead + "@topic 4294967295 Letztes\n", {4294967295u}},
        ParseCase{"umlauts_in_title_and_body", kHead + "@topic 1 Über\n<p>Grüße</p>\n", {1}},
        ParseCase{"empty_file", "", {}, 1, "erste Zeile"},
        ParseCase{"wrong_magic", "KAZ-HELP 1\n@topic 1 A\n", {}, 1, "KAZ-HILFE 1"},
        ParseCase{"other_version", "KAZ-HILFE 2\n@topic 1 A\n", {}, 1, "Version"},
        ParseCase{"text_before_first_topic",
                  kHead + "<p>lose</p>\n@topic 1 A\n",
                  {},
                  2,
                  "vor dem ersten Thema"},
        ParseCase{"no_topic_at_all", kHead + "@title Leer\n", {}, 0, "kein einziges Thema"},
        ParseCase{"duplicate_topic", kHead + "@topic 5 A\nx\n@topic 5 B\n", {}, 4, "Zeile 2"},
        ParseCase{"topic_number_not_a_number", kHead + "@topic x1 A\n", {}, 2, "x1"},
        ParseCase{"topic_number_too_large", kHead + "@topic 4294967296 A\n", {}, 2, "4294967296"},
        ParseCase{"topic_without_title", kHead + "@topic 5\n", {}, 2, "Titel"},
        ParseCase{
            "misspelt_directive_in_body", kHead + "@topic 1 A\nx\n@topik 2 B\n", {}, 4, "@topik"},
        ParseCase{"contents_names_missing_topic", kHead + "@contents 9\n@topic 1 A\n", {}, 2, "9"},
        ParseCase{"contents_without_number", kHead + "@contents\n@topic 1 A\n", {}, 2, "@contents"},
        ParseCase{"title_after_first_topic", kHead + "@topic 1 A\n@title Spät\n", {}, 3, "@title"},
        ParseCase{"invalid_utf8_byte",
                  kHead + "@topic 1 A\nGr\xFC\xDF"
                          "e\n",
                  {},
                  3,
                  "UTF-8"},
        ParseCase{"utf8_surrogate", kHead + "@topic 1 A\n\xED\xA0\x80\n", {}, 3, "UTF-8"},
        ParseCase{"truncated_utf8_at_end", kHead + "@topic 1 A\n\xE2\x82", {}, 3, "UTF-8"},
        ParseCase{"longest_titles",
                  kHead + "@title " + std::string(kMaxHelpTitleBytes, 'T') + "\n@topic 1 " +
                      std::string(kMaxHelpTitleBytes, 'A'),
                  {1}},
        ParseCase{"megabyte_file_title",
                  kHead + "@title " + std::string(1 << 20, 'T') + "\n@topic 1 A\n",
                  {},
                  2,
                  "Titel"},
        ParseCase{"long_topic_title",
                  kHead + "@topic 1 A\n@topic 2 " + std::string(kMaxHelpTitleBytes + 1, 'B'),
                  {},
                  3,
                  "Titel"},
        ParseCase{"long_body",
                  kHead + "@topic 1 A\n@topic 2 B\n" + std::string(1 << 20, 'x'),
                  {},
                  3,
                  "Thema 2"},
        ParseCase{"deep_lists_name_their_line",
                  kHead + "@topic 1 A\n<p>x</p>\n\n" + repeat("<ul><li>\n", 1000),
                  {},
                  5 + kMaxHtmlNesting / 2,
                  "verschachtelt"},
        ParseCase{"deep_tables_in_a_later_topic",
                  kHead + "@topic 1 A\nx\n@topic 2 B\n" + repeat("<table><tr><td>", 1000),
                  {},
                  5,
                  "Tabellen"},
        ParseCase{"deep_nesting_in_the_last_topic_without_line_break",
                  kHead + "@topic 1 A\n" + repeat("<b>", 40),
                  {},
                  3,
                  "verschachtelt"},
        ParseCase{"too_many_topics",
                  kHead + numberedTopics(kMaxHelpTopics + 1),
                  {},
                  2 + kMaxHelpTopics,
                  "Themen"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HelpParse, KeepsTitleAndBodyWithoutFrame)
{
    const auto result = parseHelpText(kHead + "@title  Meine Hilfe \n@topic 1   Erstes Thema  \r\n"
                                              "\r\n  \n<p>a</p>\r\n\n<p>b</p>\n\n\n@topic 2 Z\n");
    ASSERT_TRUE(result.document.has_value()) << result.error;
    const HelpDocument& doc = *result.document;
    EXPECT_EQ(doc.title, "Meine Hilfe");
    EXPECT_EQ(doc.contents, 1u) << "without @contents the first topic is the contents";
    EXPECT_EQ(doc.topics[0].title, "Erstes Thema");
    EXPECT_EQ(doc.topics[0].body, "<p>a</p>\n\n<p>b</p>");
    EXPECT_EQ(doc.topics[1].body, "");
}

TEST(HelpParse, RefusesOversizedFile)
{
    std::string text = kHead + "@topic 1 A\n";
    text.resize(kMaxHelpFileBytes + 1, 'x');
    const auto result = parseHelpText(text);
    EXPECT_FALSE(result.document.has_value());
    EXPECT_EQ(result.errorLine, 0u);
}

TEST(HelpLookup, MissingTopicGivesTheContents)
{
    const auto result = parseHelpText(kHead + "@contents 20\n@topic 10 A\n@topic 20 Inhalt\n");
    ASSERT_TRUE(result.document.has_value());
    const HelpDocument& doc = *result.document;
    ASSERT_NE(findHelpTopic(doc, 10), nullptr);
    EXPECT_EQ(findHelpTopic(doc, 10)->title, "A");
    EXPECT_EQ(findHelpTopic(doc, 30), nullptr);
    EXPECT_EQ(topicOrContents(doc, 10).number, 10u);
    EXPECT_EQ(topicOrContents(doc, 30).number, 20u);
    EXPECT_EQ(topicOrContents(doc, 0).title, "Inhalt");
}

struct LinkCase {
    const char* name;
    const char* href;
    std::optional<TopicNumber> topic;
};

TEST(HelpLinks, TopicFromLink)
{
    const LinkCase cases[] = {
        {"plain", "topic:40", 40},
        {"zero", "topic:0", 0},
        {"largest", "topic:4294967295", 4294967295u},
        {"too_large", "topic:4294967296", std::nullopt},
        {"no_number", "topic:", std::nullopt},
        {"trailing_text", "topic:4x", std::nullopt},
        {"signed", "topic:+4", std::nullopt},
        {"other_scheme", "http://example.org/", std::nullopt},
        {"capitalised_scheme", "Topic:4", std::nullopt},
    };
    for (const LinkCase& c : cases)
        EXPECT_EQ(topicFromLink(c.href), c.topic) << c.name;
}

TEST(HelpLinks, CollectsTopicLinksInOrder)
{
    const std::string body = R"(<a href="topic:5">a</a> <a href="http://x">b</a>
<a href="topic:x">c</a><a href="topic:70">d</a> href="topic:9" <a href="topic:3)";
    EXPECT_EQ(topicLinks(body), (std::vector<TopicNumber>{5, 70, 9}));
}

// The help file the program ships: it must parse, and every topic must be reachable.
class ShippedHelpFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ifstream in(KAZ_SOURCE_DIR "/help/DODADIZE.HLP", std::ios::binary);
        ASSERT_TRUE(in) << "help/DODADIZE.HLP missing";
        std::stringstream ss;
        ss << in.rdbuf();
        result_ = parseHelpText(ss.str());
        ASSERT_TRUE(result_.document.has_value())
            << result_.error << " (line " << result_.errorLine << ")";
    }
    const HelpDocument& doc() const { return *result_.document; }

    HelpParseResult result_;
};

TEST_F(ShippedHelpFile, HasTheTopicsTheTrainerOpens)
{
    EXPECT_EQ(doc().contents, 1u);
    EXPECT_NE(findHelpTopic(doc(), 1), nullptr);
    ASSERT_NE(findHelpTopic(doc(), 259), nullptr) << "the trainer opens topic 259 at exit";
    EXPECT_FALSE(doc().title.empty());
}

TEST_F(ShippedHelpFile, EveryLinkLeadsToATopicAndEveryTopicCanBeReached)
{
    std::set<TopicNumber> reached{doc().contents};
    std::vector<TopicNumber> queue{doc().contents};
    while (!queue.empty()) {
        const HelpTopic* topic = findHelpTopic(doc(), queue.back());
        queue.pop_back();
        ASSERT_NE(topic, nullptr);
        for (const TopicNumber target : topicLinks(topic->body)) {
            EXPECT_NE(findHelpTopic(doc(), target), nullptr)
                << "topic " << topic->number << " links to missing topic " << target;
            if (findHelpTopic(doc(), target) != nullptr && reached.insert(target).second)
                queue.push_back(target);
        }
    }
    for (const HelpTopic& topic : doc().topics) {
        EXPECT_TRUE(reached.count(topic.number)) << "topic " << topic.number << " unreachable";
        EXPECT_FALSE(topic.body.empty()) << "topic " << topic.number << " is empty";
    }
}

// The topics of what the trainer does beyond its first version: each is listed in the
// contents and uses the program's own texts, so that a learner finds what the window shows.
struct ShippedTopic {
    TopicNumber number;
    std::vector<std::string> texts;
};

class ShippedHelpTopic : public ShippedHelpFile,
                         public ::testing::WithParamInterface<ShippedTopic> {};

TEST_P(ShippedHelpTopic, IsInTheContentsAndNamesWhatTheTrainerShows)
{
    const HelpTopic* topic = findHelpTopic(doc(), GetParam().number);
    ASSERT_NE(topic, nullptr) << "no topic " << GetParam().number;
    const std::vector<TopicNumber> listed = topicLinks(findHelpTopic(doc(), doc().contents)->body);
    EXPECT_NE(std::find(listed.begin(), listed.end(), GetParam().number), listed.end())
        << "topic " << GetParam().number << " is not in the contents";
    for (const std::string& text : GetParam().texts)
        EXPECT_NE(topic->body.find(text), std::string::npos)
            << "topic " << GetParam().number << " does not say \"" << text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    BeyondTheFirstVersion, ShippedHelpTopic,
    ::testing::Values(
        ShippedTopic{300,
                     {"Fällige Abfrage: 12 fällig", "Heute ist nichts fällig.", "Fach 5",
                      "LERNSTAND.DB", "Der Lernstand wird nicht geführt: …",
                      "LERNSTAND.DB.beschaedigt-"}},
        ShippedTopic{310,
                     {"Lernstand-Grafik: Fächer der Lektion und letzte Noten", "„Lernstand“",
                      "Die Lernstand-Grafik ist nicht installiert."}},
        ShippedTopic{320,
                     {"Tabelle (*.csv *.tsv *.txt)", "Tabelle (*.csv)",
                      "ist zu groß für den Arbeitsspeicher!", "Lektion: NEU"}},
        ShippedTopic{330, {"--convert", "--help", "--version", "unbekannte Option", "Status"}},
        ShippedTopic{
            340, {"DODADIZE.RCV", "DODADIZE.RC9", "Ungesicherte Lektion vom … wiederherstellen?"}},
        ShippedTopic{350,
                     {"Esc</span> beendet den Trainer <b>sofort</b>", "„Frage: …“", "„Richtig.“",
                      "„Lösung: …“", "„Ergebnis: Note 3“", "Leertaste"}}),
    [](const auto& info) { return "topic_" + std::to_string(info.param.number); });

} // namespace
