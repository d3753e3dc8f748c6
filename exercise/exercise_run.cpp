#include "exercise_run.h"

#include "answer_compare.h"
#include "config.h"
#include "entry_chain.h"
#include "grading.h"
#include "question_order.h"
#include "safe_file.h"
#include "text_format.h"
#include "threshold_text.h"

#include <cerrno>

namespace {

// Message texts and captions (UTF-8).
const char* const kCongratulation = "Glückwunsch! Alles richtig!";
const char* const kCongratulationCaption = "GLÜCKWUNSCH!";
const char* const kAbortQuestion = "Übung abbrechen?";
const char* const kAbortCaption = "ÜBUNG";
const char* const kOptionRefusal = "Umschalten im Übungsmodus nicht zulässig!";
const char* const kOptionRefusalCaption = "Übungsmodus";
const char* const kStoreFailureCaption = "Ergebnis nicht gespeichert";

// Sound variants 1 .. 3 of "OKx.WAV" and "NOx.WAV".
constexpr std::uint32_t kSoundVariants = 3;
// An entry of the repetition pass is done after this many right answers in the exercise.
constexpr std::uint32_t kRightAnswersToMaster = 2;

std::string soundFile(const char* prefix, std::uint32_t seed)
{
    const char digit = static_cast<char>('1' + seedDraw(seed) % kSoundVariants);
    return std::string(prefix) + digit + ".WAV";
}

} // namespace

ExerciseRun::ExerciseRun(EntryChain& chain, ExerciseWindow& window, std::string resultsLogPath)
    : chain_(chain), window_(window), resultsLogPath_(std::move(resultsLogPath))
{}

bool ExerciseRun::startExercise(QueryMode mode, std::int64_t startTime)
{
    if (running() || chain_.entryCount() == 0 ||
        (mode != QueryMode::ModeNormal && mode != QueryMode::ModeReversed &&
         mode != QueryMode::ModeMixed))
        return false;

    begin(mode, startTime);
    questions_.clear();
    questions_.reserve(chain_.entryCount());
    for (strWort* e = chain_.firstEntry(); e != nullptr; e = e->next)
        questions_.push_back({e, kDirectionUnset});
    firstQuestion();
    return true;
}

bool ExerciseRun::startPlanned(std::vector<PlannedQuestion> questions, std::int64_t startTime)
{
    if (running() || questions.empty()) return false;

    begin(QueryMode::ModeDue, startTime);
    questions_.clear();
    questions_.reserve(questions.size());
    for (const PlannedQuestion& q : questions)
        questions_.push_back(
            {q.entry, q.direction == kSecondTermShown ? kSecondTermShown : kFirstTermShown});
    firstQuestion();
    return true;
}

void ExerciseRun::begin(QueryMode mode, std::int64_t startTime)
{
    stopFeedback();
    startTime_ = startTime;
    window_.setOptionsLocked(true);
    window_.resetEntryLine();
    window_.startElapsedClock();
    if (window_.lessonUnsaved() &&
        window_.messageBox(kSaveLessonQuestion, kSaveLessonCaption, MessageKind::YesNoExclamation))
        window_.saveLesson();

    asked_ = right_ = wrong_ = 0;
    mode_ = mode;
    answerPending_ = false;
    window_.setQuestionReadOnly(true);
    seed_ = window_.questionSeed();
    current_ = previous_ = kNone;
}

void ExerciseRun::firstQuestion()
{
    for (const Question& q : questions_) {
        q.entry->rightCount = 0;
        q.entry->wrongCount = 0;
        q.entry->direction = kDirectionUnset;
    }
    notAsked_.assign(questions_.size(), true);
    due_.assign(questions_.size(), false);
    questionsWithErrors_ = 0;
    draws_ = 0;
    nextQuestion();
    window_.showStatus(statusText());
}

bool ExerciseRun::endExercise(bool ask)
{
    if (!running()) return false;
    stopFeedback();
    if (ask && !window_.messageBox(kAbortQuestion, kAbortCaption, MessageKind::YesNoExclamation)) {
        window_.showStatus(statusText());
        return false;
    }
    window_.stopOptionBlink();
    window_.setOptionsLocked(false);
    window_.restoreEntryLine(chain_.entryCount());
    window_.startWallClock();
    mode_ = QueryMode::ModeEdit;
    questions_.clear();
    current_ = previous_ = kNone;
    window_.setQuestionReadOnly(false);
    window_.showEntry(chain_.currentEntry);
    window_.showStatus(statusText());
    return true;
}

void ExerciseRun::nextQuestion()
{
    if (!running()) return;
    seed_ = advanceSeed(seed_);
    const std::uint32_t n = questionCount();
    const std::uint32_t draw = seedDraw(seed_) % n;
    if (draws_ < n)
        firstPassQuestion(draw);
    else if (draws_ == n)
        endOfFirstPass();
    else
        repetitionQuestion();
}

// The walk this replaces: from the head, step draw-1 times forward (not at all for 0 or 1),
// then on, wrapping from the tail to the head, to the first entry not asked yet.
void ExerciseRun::firstPassQuestion(std::uint32_t draw)
{
    const std::size_t start = draw > 1 ? draw - 1 : 0;
    std::size_t index = kNone;
    if (previous_ != kNone) index = partnerNotAsked(previous_);
    if (index == kNone) index = notAsked_.nextCyclic(start);
    // While draws < n at most `draws` entries were answered, so one is left; should that ever
    // fail, the pass ends instead of searching forever.
    if (index == kNone) {
        draws_ = questionCount();
        endOfFirstPass();
        return;
    }
    current_ = previous_ = index;
    chain_.currentEntry = questions_[index].entry;
    showGrade(asked_, right_);
    window_.showEntryLineSegment(draws_, questionCount());
    window_.showAnswerLineRatio(right_, wrong_);
    ++draws_;
    firstAsking_ = true;
    ask(index);
}

void ExerciseRun::endOfFirstPass()
{
    window_.resetEntryLine();
    draws_ = questionCount() + 1;
    if (questionsWithErrors_ == 0) {
        window_.clearStatusLine();
        window_.messageBox(kCongratulation, kCongratulationCaption, MessageKind::OkExclamation);
        finish();
        return;
    }
    passRight_ = passWrong_ = 0;
    showGrade(asked_, right_);
    nextQuestion();
}

// The walk this replaces: from behind the previous question forward, once around the chain,
// to the first due entry other than the previous question; the previous question itself when
// no other is due.
void ExerciseRun::repetitionQuestion()
{
    if (due_.empty()) {
        window_.clearStatusLine();
        finish();
        return;
    }
    window_.showEntryLineRatio(passRight_, passWrong_);
    const std::size_t index = due_.nextCyclic(previous_ + 1);
    current_ = previous_ = index;
    chain_.currentEntry = questions_[index].entry;
    firstAsking_ = false;
    ask(index);
}

// The entry's other direction when it stands next to `index` and was not asked yet (only a
// due drill plans an entry twice); kNone otherwise.
std::size_t ExerciseRun::partnerNotAsked(std::size_t index) const
{
    for (const std::size_t other : {index + 1, index - 1})
        if (other < questions_.size() && questions_[other].entry == questions_[index].entry &&
            notAsked_.contains(other))
            return other;
    return kNone;
}

void ExerciseRun::ask(std::size_t index)
{
    Question& q = questions_[index];
    strWort& entry = *q.entry;
    if (q.direction == kDirectionUnset) {
        assignDirection(entry, mode_, mixedToggle_);
        q.direction = entry.direction;
    }
    entry.direction = q.direction;
    window_.showQuestion(questionTerm(entry));
    ++asked_;
    window_.showStatus(statusText());
}

void ExerciseRun::checkAnswer(std::string_view typed)
{
    if (!running() || current_ == kNone) return;
    if (answerPending_) {
        answerPending_ = false;
        stopFeedback(); // the flashing must never write over the next question
        nextQuestion();
        return;
    }
    window_.stopOptionBlink();
    std::string answer(typed);
    normalizeTerm(answer);
    if (answer.empty()) return;

    Question& q = questions_[current_];
    strWort& entry = *q.entry;
    const std::string& expected = expectedTerm(entry);
    const bool isRight = answersMatch(expected, answer, window_.optionStates(), window_);
    if (answerObserver_)
        answerObserver_(AnswerEvent{entry, entry.direction, isRight, firstAsking_});
    if (isRight) {
        window_.playSound(soundFile("OK", seed_));
        ++right_;
        ++passRight_;
        ++q.right;
        ++entry.rightCount;
        updateMarks(current_);
        nextQuestion();
        return;
    }

    window_.messageBeep();
    window_.playSound(soundFile("NO", seed_));
    answerPending_ = true;
    ++wrong_;
    ++passWrong_;
    if (q.wrong++ == 0) ++questionsWithErrors_;
    ++entry.wrongCount;
    updateMarks(current_);
    if (draws_ < questionCount()) {
        showGrade(asked_, right_);
        window_.showAnswerLineRatio(right_, wrong_);
    }
    window_.showStatus(statusText());
    feedbackRunning_ = true;
    window_.startAnswerFeedback(expected);
}

void ExerciseRun::stopFeedback()
{
    if (!feedbackRunning_) return;
    feedbackRunning_ = false;
    window_.stopAnswerFeedback();
}

bool ExerciseRun::optionChangeAllowed()
{
    if (!running()) return true;
    window_.messageBox(kOptionRefusal, kOptionRefusalCaption, MessageKind::OkInformation);
    return false;
}

std::string ExerciseRun::statusText() const
{
    if (!running()) return {};
    if (answerPending_) return format("%u .   F E H L E R !", wrong_);
    std::string text = format("ÜBUNG: %u. Aufgabe", asked_);
    if (draws_ > questionCount())
        text += " (Schwerpunkte)";
    else if (right_ > 0 || wrong_ > 0)
        text += format(" (%u OK, %u Fehler)", right_, wrong_);
    return text;
}

void ExerciseRun::updateMarks(std::size_t index)
{
    const std::uint32_t right = questions_[index].right;
    const std::uint32_t wrong = questions_[index].wrong;
    notAsked_.set(index, right == 0 && wrong == 0);
    due_.set(index, wrong > 0 && right < kRightAnswersToMaster);
}

void ExerciseRun::showGrade(std::uint32_t asked, std::uint32_t right)
{
    grade_ =
        computeGrade(asked, right, [this](std::size_t i) { return window_.thresholdFieldText(i); });
    window_.showGrade(grade_);
}

void ExerciseRun::finish()
{
    reportResult();
    endExercise(false);
}

void ExerciseRun::reportResult()
{
    ResultsLog log = ResultsLog::load(resultsLogPath_);
    if (chain_.entryCount() == 0) return;
    std::vector<std::uint32_t> wrongCounts;
    wrongCounts.reserve(questions_.size());
    for (const Question& q : questions_)
        wrongCounts.push_back(q.wrong);
    const ResultSummary summary = summarizeResult(wrongCounts);
    showGrade(summary.entries, summary.entries - summary.wrongEntries);
    const ResultReport report = composeReport(summary, grade_, asked_ > summary.entries);
    window_.showReport(report.title, report.text);

    ResultRecord record;
    record.startTime = static_cast<std::uint32_t>(startTime_); // the field's 32 bits
    record.duration = static_cast<std::int32_t>(window_.calendarTime() - startTime_);
    record.lessonName = lessonNameFromPath(window_.shownLessonPathCp1252());
    record.options = window_.optionStates();
    for (std::size_t i = 0; i < kThresholdCount; ++i)
        record.thresholds[i] = thresholdTextToNumber(window_.thresholdFieldText(i));
    record.grade = grade_;
    record.entryCount = summary.entries;
    record.wrongEntries = summary.wrongEntries;
    log.append(record);
    if (!log.save(resultsLogPath_)) { // the old log stays as it was
        const int error = errno;
        window_.showStoreFailure(kStoreFailureCaption,
                                 "Das Ergebnis konnte nicht in " + resultsLogPath_ +
                                     " gespeichert werden:\r" + writeFailureText(error));
    }
}
