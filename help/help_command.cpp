#include "help_command.h"

#include "help_file.h"

HelpArguments parseHelpArguments(const std::vector<std::string>& arguments)
{
    HelpArguments result;
    if (arguments.size() == 1 && (arguments[0] == "--help" || arguments[0] == "-h")) {
        result.usageRequested = true;
        return result;
    }
    if (arguments.empty()) {
        result.error = "missing command";
        return result;
    }
    const std::string& command = arguments[0];
    if (command == "--force-file" || command == "--beside") {
        if (arguments.size() != 2 || arguments[1].empty()) {
            result.error = command + " takes exactly one file";
            return result;
        }
        result.request = HelpRequest{HelpAction::ForceFile, 0, arguments[1], command == "--beside"};
        return result;
    }
    if (command == "--context") {
        if (arguments.size() != 3 || arguments[2].empty()) {
            result.error = "--context takes a topic number and a file";
            return result;
        }
        const auto topic = parseTopicNumber(arguments[1]);
        if (!topic) {
            result.error = "topic number must be 0 to 4294967295: " + arguments[1];
            return result;
        }
        result.request = HelpRequest{HelpAction::Context, *topic, arguments[2]};
        return result;
    }
    result.error = "unknown command: " + command;
    return result;
}

std::string helpUsage(std::string_view programName)
{
    const std::string name(programName);
    return "usage: " + name + " --force-file <file>\n" + "       " + name + " --beside <file>\n" +
           "       " + name +
           " --context <topic> <file>\n"
           "Shows a KAZ-TRAINER help file. A viewer already showing the file takes the request.\n";
}

std::string encodeHelpMessage(const HelpRequest& request)
{
    std::string line(kHelpWireVersion);
    switch (request.action) {
    case HelpAction::ForceFile:
        line += " force-file";
        break;
    case HelpAction::Context:
        line += " context " + std::to_string(request.topic);
        break;
    }
    return line + "\n";
}

std::optional<HelpRequest> decodeHelpMessage(std::string_view line)
{
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (line.size() > kMaxHelpMessageBytes) return std::nullopt;
    const std::string prefix = std::string(kHelpWireVersion) + " ";
    if (line.substr(0, prefix.size()) != prefix) return std::nullopt;
    line.remove_prefix(prefix.size());
    if (line == "force-file") return HelpRequest{HelpAction::ForceFile, 0, {}};
    constexpr std::string_view kContext = "context ";
    if (line.substr(0, kContext.size()) == kContext) {
        if (const auto topic = parseTopicNumber(line.substr(kContext.size())))
            return HelpRequest{HelpAction::Context, *topic, {}};
    }
    return std::nullopt;
}
