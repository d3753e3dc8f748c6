#include "command_line.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Qt 6's own options, as QGuiApplication, QApplication and the xcb platform take them (with
// the X11 names "-geometry", "-title" and "-icon" that xcb, the default here, accepts too).
constexpr std::array<std::string_view, 16> kWithValue = {"platform",
                                                         "platformpluginpath",
                                                         "platformtheme",
                                                         "plugin",
                                                         "qwindowgeometry",
                                                         "qwindowtitle",
                                                         "qwindowicon",
                                                         "geometry",
                                                         "title",
                                                         "icon",
                                                         "session",
                                                         "style",
                                                         "stylesheet",
                                                         "display",
                                                         "name",
                                                         "visual"};
constexpr std::array<std::string_view, 8> kWithoutValue = {
    "reverse", "testability", "widgetcount", "qdevel", "qdebug", "sync", "nograb", "dograb"};
constexpr std::array<std::string_view, 3> kWithJoinedValue = {
    "style=", "stylesheet=", "qmljsdebugger="};

template <std::size_t N>
bool listed(const std::array<std::string_view, N>& names, std::string_view name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

bool isQtOption(const std::string& arg, bool& valueFollows)
{
    valueFollows = false;
    std::string_view name = arg;
    if (name.starts_with("--"))
        name.remove_prefix(2);
    else if (name.starts_with("-"))
        name.remove_prefix(1);
    else
        return false;
    for (const std::string_view prefix : kWithJoinedValue)
        if (name.starts_with(prefix)) return true;
    if (listed(kWithoutValue, name)) return true;
    if (!listed(kWithValue, name)) return false;
    valueFollows = true;
    return true;
}

std::size_t firstTrainerOption(const std::vector<std::string>& args,
                               const std::function<bool(const std::string&)>& isFile)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        bool valueFollows = false;
        if (isQtOption(args[i], valueFollows)) {
            if (!valueFollows) continue;
            if (i + 1 == args.size()) return i; // Qt leaves it: it would be taken for a file
            ++i;
            continue;
        }
        // A file may have a name like an option; one that exists is a file.
        if (args[i].starts_with("--") && !isFile(args[i])) return i;
    }
    return args.size();
}
