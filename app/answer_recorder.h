#pragma once

#include "learning_record.h"

#include <string>

class LessonDocument;

// How the record names a lesson file (path bytes): inside the working folder, which holds the
// record and which a learner syncs between two computers, by its path from there, so the other
// computer finds it too; elsewhere by its absolute path. Empty for none.
std::string recordedLessonPath(const std::string& path);

class RecordSession;
struct AnswerEvent;

// Every judged answer of every drill into the learning record: the entry's terms, the
// direction, right or wrong, first asking or repetition, the time, a random id for each drill
// (a pair standing twice in a lesson moves once a drill) and the lesson's file
// (recordedLessonPath). The window
// hands it the drill's answers (ExerciseRun's answer observer).
class AnswerRecorder {
public:
    AnswerRecorder(RecordSession& session, const LessonDocument& lesson);

    // `drillBegins`: the drill's first question (a new drill id).
    void answered(const AnswerEvent& event, bool drillBegins);

private:
    RecordSession& session_;
    const LessonDocument& lesson_;
    DrillId drill_ = 0;
};
