#include "progress_text.h"

namespace {

const char* const kDirectionNames[kDirectionCount] = {"1. Begriff gezeigt", "2. Begriff gezeigt"};

} // namespace

std::vector<std::string> progressLines(const BoxCounts& boxes,
                                       const std::vector<GradePoint>& grades)
{
    std::vector<std::string> lines;
    for (int d = 0; d < kDirectionCount; ++d) {
        std::string line = std::string(kDirectionNames[d]) + ":";
        for (int box = 0; box < kBoxCount; ++box)
            line += (box == 0 ? " Fach " : ", Fach ") + std::to_string(box + 1) + ": " +
                    std::to_string(boxes[d][box]);
        lines.push_back(std::move(line));
    }
    if (grades.empty()) {
        lines.emplace_back("Noch keine Ergebnisse");
        return lines;
    }
    std::string line = "Noten der letzten Ergebnisse:";
    for (std::size_t i = 0; i < grades.size(); ++i)
        line +=
            (i == 0 ? " " : ", ") + std::to_string(grades[i].grade) + " (" + grades[i].when + ")";
    lines.push_back(std::move(line));
    return lines;
}
