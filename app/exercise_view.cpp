// What an exercise shows in the main dialog: the engine's window, the displays only an exercise
// uses, the wrong-answer flashing and the results-log window.
#include "exercise_view.h"

#include "bmp_button.h"
#include "control_accessibles.h"
#include "cp1252.h"
#include "entry_chain.h"
#include "led_line.h"
#include "msg_win.h"
#include "platform.h"
#include "qt_rgb.h"
#include "question_order.h"
#include "results_log.h"
#include "spoken_term.h"
#include "spoken_text.h"

#include <QLabel>
#include <QLineEdit>

namespace {

// What a line of right against wrong answers tells assistive technology.
QString ratioText(std::uint32_t right, std::uint32_t wrong)
{
    return QStringLiteral("%1 richtig, %2 falsch").arg(right).arg(wrong);
}

constexpr int kExpectedShownMs = 1500; // the correct term, in green
constexpr int kTypedShownMs = 500;     // the user's answer, in red
constexpr int kNoTimeout = -1;

// Pixel places in the dialog's client area.
constexpr int kClockDigits = 8;
constexpr QPoint kClockPos{335, 336};
constexpr QPoint kGradePos{600, 20};
constexpr QPoint kAnswerLinePos{518, 28};
constexpr unsigned kAnswerLineCells = 8;
constexpr int kLedCellBitmap = 5033;
constexpr std::uint32_t kGradeBeforeAnyAnswer = 6;

} // namespace

ExerciseView::ExerciseView(QWidget& window, ExerciseHost& host, EntryChain& chain,
                           const ExerciseControls& controls, ExerciseFonts fonts)
    : window_(window), host_(host), controls_(controls), fonts_(std::move(fonts)),
      answerColour_(toQRgb(kRed)), chain_(chain), run_(chain, *this)
{
    replaceClock(LEDWindow::Mode::WallClock);
    gradeDigit_ = new LEDWindow(&window_, kGradePos.x(), kGradePos.y(), 1, false,
                                LEDWindow::Mode::Counter, kGradeBeforeAnyAnswer);
    answerLine_ = new myLEDLine(&window_, kAnswerLinePos.x(), kAnswerLinePos.y(), kLedCellBitmap,
                                kAnswerLineCells, {.framed = true});
    gradeDigit_->setAccessibleName(QStringLiteral("Note"));
    gradeDigit_->setAccessibleDescription(QStringLiteral("Note"));
    answerLine_->setAccessibleDescription(QStringLiteral("Antworten"));
    notice_ = new SpokenNotice(&window_);

    feedbackTimer_.setSingleShot(true);
    QObject::connect(&feedbackTimer_, &QTimer::timeout, &feedbackTimer_, [this] { flashStep(); });
    spokenTimer_.setSingleShot(true);
    QObject::connect(&spokenTimer_, &QTimer::timeout, &spokenTimer_, [this] { speakStep(); });
}

ExerciseView::~ExerciseView()
{
    feedbackTimer_.stop();
    muteTextEvents(controls_.answer, false);
    spokenTimer_.stop();
    parts_.clear();
    delete notice_;
    delete answerLine_;
    delete clock_;
    delete gradeDigit_;
}

void ExerciseView::showExerciseDisplays(bool shown)
{
    answerLine_->setVisible(shown);
    gradeDigit_->setVisible(shown);
}

// --- what the exercise reads ---------------------------------------------------------------

CompareOptions ExerciseView::optionStates() const
{
    CompareOptions o;
    o.ignoreCase = controls_.options[0]->On();
    o.ignorePunctuation = controls_.options[1]->On();
    o.anyOrder = controls_.options[2]->On();
    return o;
}

std::string ExerciseView::thresholdFieldText(std::size_t index) const
{
    return index < kThresholdCount ? toCp1252(controls_.thresholds[index]->text()) : std::string();
}

std::string ExerciseView::shownLessonPathCp1252() const
{
    return host_.shownLessonPathCp1252();
}

bool ExerciseView::lessonUnsaved() const
{
    return host_.unsaved();
}

std::int64_t ExerciseView::calendarTime() const
{
    return Platform::instance().calendarTime();
}

std::uint32_t ExerciseView::questionSeed()
{
    Platform& platform = Platform::instance();
    return localTimeSeed(platform.localTime(platform.calendarTime()));
}

// --- what the exercise does --------------------------------------------------------------

bool ExerciseView::messageBox(const std::string& text, const std::string& caption, MessageKind kind)
{
    Platform::Buttons buttons = Platform::Buttons::Ok;
    Platform::Icon icon = Platform::Icon::Exclamation;
    switch (kind) {
    case MessageKind::OkExclamation:
        break;
    case MessageKind::OkInformation:
        icon = Platform::Icon::Information;
        break;
    case MessageKind::YesNoExclamation:
        buttons = Platform::Buttons::YesNo;
        break;
    }
    const int answer = Platform::instance().messageBox(&window_, QString::fromUtf8(text),
                                                       QString::fromUtf8(caption), buttons, icon);
    return answer == Platform::IdYes || answer == Platform::IdOk;
}

bool ExerciseView::saveLesson()
{
    return host_.saveLesson();
}

void ExerciseView::setOptionsLocked(bool locked)
{
    for (myBMPButton* b : controls_.options)
        b->SetLocked(locked);
}

void ExerciseView::stopOptionBlink()
{
    for (myBMPButton* b : controls_.options)
        b->StopBlink();
}

void ExerciseView::startBlink(OptionButton which, std::uint32_t periodMs)
{
    controls_.options[static_cast<std::size_t>(which)]->StartBlink(static_cast<int>(periodMs));
}

void ExerciseView::resetEntryLine()
{
    controls_.entryLine->Reset(kLedOff);
}

void ExerciseView::showEntryLineSegment(std::uint32_t drawn, std::uint32_t total)
{
    controls_.entryLine->ShowSegment(drawn, total, kGreen);
    controls_.entryLine->setAccessibleName(QStringLiteral("%1 von %2").arg(drawn).arg(total));
}

void ExerciseView::showEntryLineRatio(std::uint32_t right, std::uint32_t wrong)
{
    controls_.entryLine->ShowRatio(right, wrong, kGreen, kRed);
    controls_.entryLine->setAccessibleName(ratioText(right, wrong));
}

void ExerciseView::restoreEntryLine(std::uint32_t entryCount)
{
    controls_.entryLine->Reset(kLedOff);
    controls_.entryLine->StepForward(entryCount);
}

void ExerciseView::showAnswerLineRatio(std::uint32_t right, std::uint32_t wrong)
{
    answerLine_->ShowRatio(right, wrong, kGreen, kRed);
    answerLine_->setAccessibleName(ratioText(right, wrong));
}

void ExerciseView::showGrade(std::uint32_t grade)
{
    gradeDigit_->SetValue(grade);
}

// A clock changes its mode only by being made anew, in the place and visibility of the old one.
void ExerciseView::replaceClock(LEDWindow::Mode mode)
{
    const bool visible = clock_ == nullptr || clock_->isVisible();
    delete clock_;
    clock_ =
        new LEDWindow(&window_, kClockPos.x(), kClockPos.y(), kClockDigits, false, mode,
                      mode == LEDWindow::Mode::WallClock ? Platform::instance().calendarTime() : 0);
    clock_->setAccessibleDescription(QStringLiteral("Uhr"));
    clock_->setVisible(visible);
}

void ExerciseView::startElapsedClock()
{
    replaceClock(LEDWindow::Mode::ElapsedClock);
}

void ExerciseView::startWallClock()
{
    replaceClock(LEDWindow::Mode::WallClock);
}

void ExerciseView::setQuestionReadOnly(bool readOnly)
{
    controls_.question->setReadOnly(readOnly);
    if (!readOnly) nameTermFields(false); // the drill is over
}

void ExerciseView::nameTermFields(bool reversed)
{
    QLineEdit* const fields[2] = {controls_.question, controls_.answer};
    if (!termNamesKept_) {
        for (std::size_t i : {0u, 1u})
            termNames_[i] = {fields[i]->accessibleName(), fields[i]->accessibleDescription()};
        termNamesKept_ = true;
    }
    for (std::size_t i : {0u, 1u}) {
        const auto& [name, description] = termNames_[reversed ? 1 - i : i];
        if (fields[i]->accessibleName() == name) continue;
        fields[i]->setAccessibleName(name);
        fields[i]->setAccessibleDescription(description);
    }
}

void ExerciseView::showQuestion(const std::string& question)
{
    if (chain_.currentEntry != nullptr) nameTermFields(questionSide(*chain_.currentEntry) == 1);
    host_.showQuestion(question);
    QString part = QStringLiteral("Frage: ");
    // A reversed, mixed or due drill names which term of the entry is shown.
    const QueryMode mode = run_.queryMode();
    if ((mode == QueryMode::ModeReversed || mode == QueryMode::ModeMixed ||
         mode == QueryMode::ModeDue) &&
        chain_.currentEntry != nullptr)
        part = chain_.currentEntry->direction == 'D' ? QStringLiteral("Frage, 2. Begriff: ")
                                                     : QStringLiteral("Frage, 1. Begriff: ");
    const bool aloud = termsReadAloud && termsReadAloud() && chain_.currentEntry != nullptr;
    speak(aloud ? part.trimmed() : part + fromCp1252(question));
    if (aloud) parts_.push_back({{}, question, questionSide(*chain_.currentEntry)});
}

void ExerciseView::showEntry(strWort* entry)
{
    host_.showEntry(entry);
}

void ExerciseView::showStatus(const std::string& text)
{
    host_.updateStatus();
    if (!run_.running()) return;
    controls_.status->setText(QString::fromUtf8(text));
    speak(QString::fromUtf8(spokenText(text)));
}

void ExerciseView::clearStatusLine()
{
    controls_.status->clear();
}

void ExerciseView::playSound(const std::string& fileName)
{
    Platform::instance().playSound(QString::fromLatin1(fileName.c_str()));
    // The sounds "OK1.WAV" .. tell a right answer; a wrong one the status line's "FEHLER".
    if (fileName.starts_with("OK")) speak(QStringLiteral("Richtig."));
}

void ExerciseView::messageBeep()
{
    Platform::instance().messageBeep();
}

// --- what a screen reader says --------------------------------------------------------------

void ExerciseView::speak(const QString& part, bool ofTheDrill)
{
    if (part.isEmpty() || spoken_.contains(part)) return; // the status is shown twice at the start
    drillStep_ = drillStep_ || ofTheDrill;
    spoken_ << part;
    parts_.push_back({part, {}, 0});
    spokenTimer_.start(0);
}

void ExerciseView::speakStep()
{
    const QString text = spoken_.join(QLatin1Char(' '));
    spoken_.clear();
    const std::vector<SpokenPart> parts = std::exchange(parts_, {});
    const bool ofTheDrill = std::exchange(drillStep_, false);
    const bool aloud = ofTheDrill && termsReadAloud && termsReadAloud();
    if (aloud && onStepShown && onStepShown(parts)) return;
    notice_->say(text);
}

// --- the wrong-answer flashing -------------------------------------------------------------

void ExerciseView::startAnswerFeedback(const std::string& expected)
{
    feedbackExpected_ = expected;
    feedbackTyped_ = toCp1252(controls_.answer->text());
    controls_.answer->setReadOnly(true); // a read-only field shows no caret
    // The verdict and the solution are told once, below; the flashing is for the eyes.
    muteTextEvents(controls_.answer, true);
    feedbackPhase_ = 0;
    flashStep();
    const bool aloud = termsReadAloud && termsReadAloud() && chain_.currentEntry != nullptr;
    speak(aloud ? QStringLiteral("L\u00F6sung:")
                : QStringLiteral("L\u00F6sung: ") + fromCp1252(expected));
    if (aloud) parts_.push_back({{}, expected, answerSide(*chain_.currentEntry)});
}

void ExerciseView::flashStep()
{
    ++feedbackPhase_;
    const bool showExpected = feedbackPhase_ % 2 == 1;
    setAnswerColour(QColor(toQRgb(showExpected ? kGreen : kRed)));
    controls_.answer->setText(fromCp1252(showExpected ? feedbackExpected_ : feedbackTyped_));
    feedbackTimer_.start(showExpected ? kExpectedShownMs : kTypedShownMs);
}

void ExerciseView::stopAnswerFeedback()
{
    feedbackTimer_.stop();
    feedbackExpected_.clear();
    feedbackTyped_.clear();
    controls_.answer->setReadOnly(false);
    muteTextEvents(controls_.answer, false);
    setAnswerColour(QColor(toQRgb(kRed)));
}

void ExerciseView::setAnswerColour(const QColor& colour)
{
    answerColour_ = colour;
    QPalette p = controls_.answer->palette();
    p.setColor(QPalette::Text, colour);
    p.setColor(QPalette::WindowText, colour);
    controls_.answer->setPalette(p);
}

// --- message windows -----------------------------------------------------------------------

void ExerciseView::showReport(const std::string& title, const std::string& text)
{
    // The drill ends by putting the keyboard into the first field, which holds the last
    // question, heard already; the report is heard next.
    quietFocusOnce(controls_.question);
    speak(QString::fromUtf8(title) + QStringLiteral(". ") +
          QString::fromUtf8(text).replace(QLatin1Char('\r'), QLatin1Char(' ')).simplified());
    new MSGWin(window_.window(), QString::fromUtf8(title), QString::fromUtf8(text), fonts_.report,
               Qt::black, kNoTimeout);
}

void ExerciseView::showStoreFailure(const std::string& title, const std::string& text)
{
    new MSGWin(window_.window(), QString::fromUtf8(title), QString::fromUtf8(text), fonts_.report,
               Qt::red, kNoTimeout);
}

void ExerciseView::showResultsLog()
{
    const ResultsLog log = ResultsLog::load(kResultsLogFileName);
    const ResultsLogView view = resultsLogView(
        log, [](std::int64_t seconds) { return Platform::instance().localTime(seconds); });
    if (view.notice)
        new MSGWin(window_.window(), QString::fromUtf8(view.title), QString::fromUtf8(view.text),
                   fonts_.notice, Qt::red, static_cast<int>(kNoticeTimeoutMs));
    else if (auto* table =
                 new MSGWin(window_.window(), QString::fromUtf8(view.title),
                            QString::fromUtf8(view.text), fonts_.table, Qt::black, kNoTimeout)) {
        // For screen readers also as a table with column names: the records begin below the
        // two header lines and the rule.
        QStringList columns;
        for (const char* column : kResultsTableColumns)
            columns << QString::fromUtf8(column);
        QList<QStringList> rows;
        for (const std::vector<std::string>& cells : view.rows) {
            rows.append(QStringList());
            for (const std::string& cell : cells)
                rows.back() << QString::fromUtf8(cell);
        }
        constexpr int kFirstRecordLine = 3;
        table->setTable(columns, rows, kFirstRecordLine);
    }
}
