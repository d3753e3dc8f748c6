#pragma once

#include <string>
#include <string_view>
#include <vector>

struct HelpTopic;

// The HTML pages the viewer shows: a topic, and the two messages that stand in for a help file
// that could not be used. Texts are UTF-8; everything taken from outside (file names, parser
// messages) is escaped, so a name such as "<a>.HLP" shows as it is.

std::string htmlEscape(std::string_view text);

// The topic's title as a heading above its body.
std::string topicPage(const HelpTopic& topic);

// No candidate for the file existed; tried lists the places looked at, in order.
std::string fileNotFoundPage(std::string_view givenName, const std::vector<std::string>& tried);

// The file exists but could not be read.
std::string fileUnreadablePage(std::string_view path);

// The file was read but is not a usable help file; line 0 means the file as a whole.
std::string brokenFilePage(std::string_view path, std::string_view error, std::size_t line);
