// The help file parser on arbitrary bytes: a document that keeps every promise of help_file.h
// and help_html.h, or a message; never both, never neither.
#include "help_file.h"
#include "help_html.h"
#include "help_pages.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)checkHelpHtml(bytes);
    const HelpParseResult result = parseHelpText(bytes);
    if (!result.document) {
        if (result.error.empty()) std::abort();
        (void)brokenFilePage("DODADIZE.HLP", result.error, result.errorLine);
        return 0;
    }
    if (!result.error.empty()) std::abort();
    const HelpDocument& doc = *result.document;
    if (doc.topics.empty() || doc.topics.size() > kMaxHelpTopics) std::abort();
    if (doc.title.size() > kMaxHelpTitleBytes) std::abort();
    if (findHelpTopic(doc, doc.contents) == nullptr) std::abort();
    std::set<TopicNumber> numbers;
    for (const HelpTopic& topic : doc.topics) {
        if (!numbers.insert(topic.number).second) std::abort();
        if (topic.title.empty() || topic.title.size() > kMaxHelpTitleBytes) std::abort();
        if (topic.body.size() > kMaxHelpTopicBytes || checkHelpHtml(topic.body)) std::abort();
        if (topicOrContents(doc, topic.number).number != topic.number) std::abort();
        for (const TopicNumber link : topicLinks(topic.body))
            (void)topicOrContents(doc, link);
        (void)topicPage(topic);
    }
    return 0;
}
