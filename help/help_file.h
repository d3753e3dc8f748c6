#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The help file: UTF-8 text in numbered topics whose bodies are HTML fragments.
//
//   KAZ-HILFE 1                      first line: format name and version
//   # comment                        comments and blank lines only before the first topic
//   @title KAZ-TRAINER – Hilfe       window title (optional, once)
//   @contents 1                      number of the contents topic (optional; default: first)
//   @topic 1 Inhalt                  a topic: number (unsigned 32-bit) and plain-text title
//   <p>… <a href="topic:40">…</a></p>  its body, up to the next "@topic" line
//
// Lines end with LF or CR LF; a UTF-8 byte-order mark is skipped. Every line that starts with
// "@" is a directive, so a typing error such as "@topik" is reported instead of being shown as
// text. Links between topics are written href="topic:N".

using TopicNumber = std::uint32_t;

inline constexpr std::string_view kHelpFileMagic = "KAZ-HILFE";
inline constexpr std::string_view kHelpFileVersion = "1";
// Larger files are refused before they are read; the real one is about 40 KB.
inline constexpr std::size_t kMaxHelpFileBytes = 4 * 1024 * 1024;
inline constexpr const char* kHelpFileTooLarge = "Die Datei ist zu groß für eine Hilfedatei.";
// Bounds that keep the window quick (the real file: 19 topics, titles under 50 bytes, bodies
// under 4 KB). A file beyond one of them is refused like a broken one, as is a body beyond the
// bounds of help_html.h.
inline constexpr std::size_t kMaxHelpTopics = 1000;
inline constexpr std::size_t kMaxHelpTitleBytes = 200;
inline constexpr std::size_t kMaxHelpTopicBytes = 64 * 1024;

struct HelpTopic {
    TopicNumber number = 0;
    std::string title; // plain text, UTF-8
    std::string body;  // HTML fragment, UTF-8, without leading and trailing blank lines
};

struct HelpDocument {
    std::string title;             // empty when the file names none
    TopicNumber contents = 0;      // always the number of one of the topics
    std::vector<HelpTopic> topics; // in file order, never empty, numbers unique
};

// Either a document, or a German message for the reader and the line it refers to.
struct HelpParseResult {
    std::optional<HelpDocument> document;
    std::string error;
    std::size_t errorLine = 0; // 1-based; 0 when the message concerns the file as a whole
};

HelpParseResult parseHelpText(std::string_view text);

const HelpTopic* findHelpTopic(const HelpDocument& document, TopicNumber number);

// The topic with this number, or the contents topic when there is none.
const HelpTopic& topicOrContents(const HelpDocument& document, TopicNumber number);

// The topic a link leads to: "topic:40" gives 40; anything else gives nothing.
std::optional<TopicNumber> topicFromLink(std::string_view href);

// A whole string of decimal digits that fits a topic number; nothing else.
std::optional<TopicNumber> parseTopicNumber(std::string_view text);

// Every topic that a body links to with href="topic:N", in order of appearance. Links whose
// number is not valid are left out.
std::vector<TopicNumber> topicLinks(std::string_view body);
