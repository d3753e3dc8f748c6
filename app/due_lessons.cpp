#include "due_lessons.h"

#include "entry_chain.h"
#include "lesson_file.h"
#include "record_terms.h"

#include <filesystem>
#include <set>
#include <system_error>

std::vector<DueLesson> dueLessons(LearningRecord& record, std::int64_t now, std::size_t limit)
{
    std::vector<DueLesson> lessons;
    std::set<std::string> seen; // one file named both ways counts once
    for (const std::string& named : record.lessonFiles()) {
        if (lessons.size() >= limit) break;
        std::error_code ec;
        const std::string path = std::filesystem::absolute(named, ec).lexically_normal().string();
        if (ec || !seen.insert(path).second) continue;
        EntryChain chain;
        if (readLessonFile(path, chain) != LessonReadResult::Read || chain.empty()) continue;
        const std::size_t due = record.dueCount(lessonTerms(chain), now);
        if (due > 0) lessons.push_back(DueLesson{path, due});
    }
    return lessons;
}
