#include "help_pages.h"

#include "help_file.h"

namespace {

std::string messagePage(std::string_view heading, const std::string& details)
{
    return "<h1 class=\"error\">" + htmlEscape(heading) + "</h1>\n" + details +
           "<p>Das Programm KAZ-TRAINER selbst arbeitet ohne Hilfe ganz normal weiter.</p>\n";
}

} // namespace

std::string htmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string topicPage(const HelpTopic& topic)
{
    return "<h1>" + htmlEscape(topic.title) + "</h1>\n" + topic.body + "\n";
}

std::string fileNotFoundPage(std::string_view givenName, const std::vector<std::string>& tried)
{
    std::string details = "<p>Der Hilfebetrachter hat an diesen Stellen gesucht:</p>\n<ul>\n";
    for (const std::string& place : tried)
        details += "<li><code>" + htmlEscape(place) + "</code></li>\n";
    details += "</ul>\n<p>Legen Sie die Datei an eine dieser Stellen, am einfachsten in den "
               "Arbeitsordner des Trainers, und rufen Sie die Hilfe noch einmal auf.</p>\n";
    return messagePage("Hilfedatei „" + std::string(givenName) + "“ nicht gefunden", details);
}

std::string fileUnreadablePage(std::string_view path)
{
    return messagePage("Hilfedatei kann nicht gelesen werden",
                       "<p>Die Datei <code>" + htmlEscape(path) +
                           "</code> ist vorhanden, lässt sich aber nicht lesen. "
                           "Prüfen Sie die Zugriffsrechte.</p>\n");
}

std::string brokenFilePage(std::string_view path, std::string_view error, std::size_t line)
{
    std::string where = "<p>Die Datei <code>" + htmlEscape(path) + "</code> ist beschädigt";
    where += line == 0 ? std::string(":</p>\n") : " (Zeile " + std::to_string(line) + "):</p>\n";
    return messagePage("Hilfedatei ist beschädigt",
                       where + "<p><b>" + htmlEscape(error) + "</b></p>\n");
}
