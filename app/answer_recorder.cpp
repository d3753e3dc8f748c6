#include "answer_recorder.h"

#include "exercise_run.h"
#include "lesson_document.h"
#include "record_session.h"
#include "record_terms.h"

#include <filesystem>
#include <random>
#include <system_error>

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
    // By its absolute path, so the lesson is found again from any working folder.
    std::error_code ec;
    const std::filesystem::path file = lesson_.path().empty()
                                           ? std::filesystem::path()
                                           : std::filesystem::absolute(lesson_.path(), ec);
    record.setLesson(ec ? lesson_.path() : file.string());
    record.recordAnswer(TermPair{event.entry.term1, event.entry.term2},
                        askedDirection(event.direction), event.right, event.firstAsking,
                        RecordSession::now(), drill_);
    session_.showNoticeLater();
}
