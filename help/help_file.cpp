#include "help_file.h"

#include "help_html.h"
#include "windows1252.h"

#include <algorithm>
#include <charconv>

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kTopicLinkPrefix = "topic:";

// Offset of the first byte that is not well-formed UTF-8, or npos.
std::size_t firstInvalidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = decodeUtf8(text, i).length;
        if (n == 0) return i;
        i += n;
    }
    return std::string_view::npos;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Splits "word rest" at the first blank; rest is trimmed.
std::pair<std::string_view, std::string_view> splitWord(std::string_view s)
{
    s = trim(s);
    const auto blank = std::find_if(s.begin(), s.end(), isBlank);
    const auto cut = static_cast<std::size_t>(blank - s.begin());
    return {s.substr(0, cut), trim(s.substr(cut))};
}

std::string_view withoutBlankLines(std::string_view body)
{
    // Leading lines that hold only blanks go, as do trailing blanks and line breaks.
    for (;;) {
        const std::size_t eol = body.find('\n');
        if (eol == std::string_view::npos || !trim(body.substr(0, eol)).empty()) break;
        body.remove_prefix(eol + 1);
    }
    while (!body.empty() && (isBlank(body.back()) || body.back() == '\n'))
        body.remove_suffix(1);
    if (trim(body).empty()) return {};
    return body;
}

class Parser {
public:
    explicit Parser(std::string_view text) : rest_(text) {}

    HelpParseResult run()
    {
        if (rest_.substr(0, kByteOrderMark.size()) == kByteOrderMark)
            rest_.remove_prefix(kByteOrderMark.size());
        if (const std::size_t bad = firstInvalidUtf8(rest_); bad != std::string_view::npos)
            return fail(1 + static_cast<std::size_t>(std::count(
                                rest_.begin(), rest_.begin() + static_cast<long>(bad), '\n')),
                        "Die Datei ist keine gültige UTF-8-Textdatei.");

        std::string_view line;
        nextLine(line);
        if (auto error = checkHeader(line)) return std::move(*error);

        HelpDocument doc;
        std::optional<std::size_t> contentsLine;
        bool titleSeen = false;
        std::vector<std::size_t> topicLines;
        std::string body;

        // The body is checked as written, so that a fault names its line in the file.
        const auto closeTopic = [&]() -> std::optional<HelpParseResult> {
            if (doc.topics.empty()) return std::nullopt;
            const std::size_t firstLine = topicLines.back() + 1;
            if (const auto fault = checkHelpHtml(body)) {
                const auto before = body.begin() + static_cast<long>(fault->offset);
                return fail(firstLine +
                                static_cast<std::size_t>(std::count(body.begin(), before, '\n')),
                            fault->message);
            }
            doc.topics.back().body = std::string(withoutBlankLines(body));
            body.clear();
            return std::nullopt;
        };

        while (nextLine(line)) {
            const bool inTopic = !doc.topics.empty();
            if (line.empty() || line.front() != '@') {
                if (inTopic) {
                    body.append(line);
                    body.push_back('\n');
                    if (body.size() > kMaxHelpTopicBytes)
                        return fail(topicLines.back(),
                                    "Das Thema " + std::to_string(doc.topics.back().number) +
                                        " ist länger als " + std::to_string(kMaxHelpTopicBytes) +
                                        " Byte.");
                } else if (!trim(line).empty() && line.front() != '#') {
                    return fail(lineNo_, "Text vor dem ersten Thema („@topic“ fehlt).");
                }
                continue;
            }
            const auto [directive, argument] = splitWord(line);
            if (directive == "@topic") {
                const auto [numberText, title] = splitWord(argument);
                const auto number = parseTopicNumber(numberText);
                if (!number)
                    return fail(lineNo_, "Die Themennummer „" + std::string(numberText) +
                                             "“ ist keine Zahl von 0 bis 4294967295.");
                if (title.empty())
                    return fail(lineNo_,
                                "Dem Thema " + std::to_string(*number) + " fehlt der Titel.");
                if (title.size() > kMaxHelpTitleBytes) return fail(lineNo_, titleTooLong());
                if (doc.topics.size() == kMaxHelpTopics)
                    return fail(lineNo_, "Mehr als " + std::to_string(kMaxHelpTopics) +
                                             " Themen hat keine Hilfedatei.");
                for (std::size_t i = 0; i < doc.topics.size(); ++i) {
                    if (doc.topics[i].number == *number)
                        return fail(lineNo_, "Das Thema " + std::to_string(*number) +
                                                 " gibt es schon in Zeile " +
                                                 std::to_string(topicLines[i]) + ".");
                }
                if (auto error = closeTopic()) return std::move(*error);
                doc.topics.push_back(HelpTopic{*number, std::string(title), {}});
                topicLines.push_back(lineNo_);
            } else if (directive == "@title" && !inTopic && !titleSeen) {
                if (argument.empty()) return fail(lineNo_, "„@title“ ohne Titel.");
                if (argument.size() > kMaxHelpTitleBytes) return fail(lineNo_, titleTooLong());
                doc.title = std::string(argument);
                titleSeen = true;
            } else if (directive == "@contents" && !inTopic && !contentsLine) {
                const auto number = parseTopicNumber(argument);
                if (!number) return fail(lineNo_, "„@contents“ braucht eine Themennummer.");
                doc.contents = *number;
                contentsLine = lineNo_;
            } else if (directive == "@title" || directive == "@contents") {
                return fail(lineNo_, "„" + std::string(directive) +
                                         "“ ist nur einmal und nur vor dem ersten Thema erlaubt.");
            } else {
                return fail(lineNo_, "Unbekannte Anweisung „" + std::string(directive) + "“.");
            }
        }
        if (auto error = closeTopic()) return std::move(*error);

        if (doc.topics.empty()) return fail(0, "Die Hilfedatei enthält kein einziges Thema.");
        if (!contentsLine)
            doc.contents = doc.topics.front().number;
        else if (findHelpTopic(doc, doc.contents) == nullptr)
            return fail(*contentsLine,
                        "Das Inhaltsthema " + std::to_string(doc.contents) + " gibt es nicht.");
        return {std::move(doc), {}, 0};
    }

private:
    bool nextLine(std::string_view& line)
    {
        if (exhausted_) return false;
        const std::size_t eol = rest_.find('\n');
        if (eol == std::string_view::npos) {
            line = rest_;
            exhausted_ = true;
        } else {
            line = rest_.substr(0, eol);
            rest_.remove_prefix(eol + 1);
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++lineNo_;
        return true;
    }

    static std::optional<HelpParseResult> checkHeader(std::string_view line)
    {
        const auto [magic, version] = splitWord(line);
        if (magic != kHelpFileMagic) {
            return fail(1, "Dies ist keine Hilfedatei von KAZ-TRAINER: Die erste Zeile muss „" +
                               std::string(kHelpFileMagic) + " " + std::string(kHelpFileVersion) +
                               "“ lauten.");
        }
        if (version != kHelpFileVersion) {
            return fail(1, "Die Hilfedatei hat die Formatversion „" + std::string(version) +
                               "“; dieser Betrachter kennt nur Version " +
                               std::string(kHelpFileVersion) + ".");
        }
        return std::nullopt;
    }

    static std::string titleTooLong()
    {
        return "Der Titel ist länger als " + std::to_string(kMaxHelpTitleBytes) + " Byte.";
    }

    static HelpParseResult fail(std::size_t line, std::string message)
    {
        return {std::nullopt, std::move(message), line};
    }

    std::string_view rest_;
    std::size_t lineNo_ = 0;
    bool exhausted_ = false;
};

} // namespace

std::optional<TopicNumber> parseTopicNumber(std::string_view s)
{
    if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    TopicNumber value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return value;
}

HelpParseResult parseHelpText(std::string_view text)
{
    if (text.size() > kMaxHelpFileBytes) return {std::nullopt, kHelpFileTooLarge, 0};
    return Parser(text).run();
}

const HelpTopic* findHelpTopic(const HelpDocument& document, TopicNumber number)
{
    const auto it = std::find_if(document.topics.begin(), document.topics.end(),
                                 [number](const HelpTopic& t) { return t.number == number; });
    return it == document.topics.end() ? nullptr : &*it;
}

const HelpTopic& topicOrContents(const HelpDocument& document, TopicNumber number)
{
    if (const HelpTopic* topic = findHelpTopic(document, number)) return *topic;
    return *findHelpTopic(document, document.contents);
}

std::optional<TopicNumber> topicFromLink(std::string_view href)
{
    if (href.substr(0, kTopicLinkPrefix.size()) != kTopicLinkPrefix) return std::nullopt;
    return parseTopicNumber(href.substr(kTopicLinkPrefix.size()));
}

std::vector<TopicNumber> topicLinks(std::string_view body)
{
    static constexpr std::string_view kAttribute = "href=\"";
    std::vector<TopicNumber> links;
    std::size_t pos = 0;
    while ((pos = body.find(kAttribute, pos)) != std::string_view::npos) {
        pos += kAttribute.size();
        const std::size_t end = body.find('"', pos);
        if (end == std::string_view::npos) break;
        if (const auto number = topicFromLink(body.substr(pos, end - pos)))
            links.push_back(*number);
        pos = end + 1;
    }
    return links;
}
