#include "answer_recorder.h"

#include "exercise_run.h"
#include "lesson_document.h"
#include "record_session.h"
#include "record_terms.h"

#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

std::string recordedLessonPath(const std::string& path)
{
    if (path.empty()) return {};
    std::error_code ec;
    const fs::path file = fs::absolute(path, ec).lexically_normal();
    if (ec) return path;
    const fs::path inside = file.lexically_relative(fs::current_path(ec));
    if (!ec && !inside.empty() && *inside.begin() != "..") return inside.string();
    return file.string();
}

AnswerRecorder::AnswerRecorder(RecordSession& session, const LessonDocument& lesson)
    : session_(session), lesson_(lesson)
{}

void AnswerRecorder::answered(const AnswerEvent& event, bool drillBegins)
{
    LearningRecord& record = session_.record();
    if (drillBegins) {
        std::random_device random;
        drill_ = (static_cast<DrillId>(random()) << 32) ^ random();
    }
    record.setLesson(recordedLessonPath(lesson_.path()));
    record.recordAnswer(TermPair{event.entry.term1, event.entry.term2},
                        askedDirection(event.direction), event.right, event.firstAsking,
                        RecordSession::now(), drill_);
    session_.showNoticeLater();
}
