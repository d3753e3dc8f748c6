#pragma once

#include "help_file.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What the trainer asks of the help viewer, on the command line and between two viewer
// processes.
//
// Command line (arguments after the program name):
//   --force-file <file>        show the file; nothing happens when it is shown already
//   --beside <file>            the same, but a viewer that starts leaves the keyboard with the
//                              window that has it (the trainer starting, with its viewer beside)
//   --context <n> <file>       show topic n of the file and bring the window to the front
//   --help                     print the usage
//
// Between processes, the second viewer sends one line to the one already running for that file
// and waits for "ok\n" (understood) or "error\n" (not understood):
//   "KAZ-HELP/1 force-file\n"
//   "KAZ-HELP/1 context 259\n"
// The file is not part of the line: a running viewer listens under a name made from its file.

enum class HelpAction { ForceFile, Context };

struct HelpRequest {
    HelpAction action = HelpAction::ForceFile;
    TopicNumber topic = 0; // Context only
    std::string file;      // as given on the command line; empty in a forwarded request
    bool beside = false;   // ForceFile only: a viewer that starts does not take the keyboard

    friend bool operator==(const HelpRequest&, const HelpRequest&) = default;
};

struct HelpArguments {
    std::optional<HelpRequest> request;
    bool usageRequested = false;
    std::string error; // English, for the terminal; empty when request or usageRequested
};

HelpArguments parseHelpArguments(const std::vector<std::string>& arguments);
std::string helpUsage(std::string_view programName);

inline constexpr std::string_view kHelpWireVersion = "KAZ-HELP/1";
inline constexpr std::string_view kHelpReplyOk = "ok\n";
inline constexpr std::string_view kHelpReplyError = "error\n";
// A line longer than this is not a request; the connection is dropped.
inline constexpr std::size_t kMaxHelpMessageBytes = 256;

std::string encodeHelpMessage(const HelpRequest& request);
// One line, with or without its line feed; the request's file stays empty.
std::optional<HelpRequest> decodeHelpMessage(std::string_view line);
