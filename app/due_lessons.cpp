#include "due_lessons.h"

#include "entry_chain.h"
#include "lesson_file.h"
#include "record_terms.h"

std::vector<DueLesson> dueLessons(LearningRecord& record, std::int64_t now, std::size_t limit)
{
    std::vector<DueLesson> lessons;
    for (const std::string& path : record.lessonFiles()) {
        if (lessons.size() >= limit) break;
        EntryChain chain;
        if (readLessonFile(path, chain) != LessonReadResult::Read || chain.empty()) continue;
        const std::size_t due = record.dueCount(lessonTerms(chain), now);
        if (due > 0) lessons.push_back(DueLesson{path, due});
    }
    return lessons;
}
