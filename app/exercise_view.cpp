// What an exercise shows in the main dialog: the dialog's side of the ExerciseWindow
// interface, the wrong-answer flashing and the results-log button.
#include "rudarud_dia.h"

#include "bmp_button.h"
#include "cp1252.h"
#include "led_line.h"
#include "led_window.h"
#include "msg_win.h"
#include "platform.h"
#include "question_order.h"
#include "results_log.h"

#include <QLineEdit>

namespace {

// What a line of right against wrong answers tells assistive technology.
QString ratioText(std::uint32_t right, std::uint32_t wrong)
{
    return QStringLiteral("%1 richtig, %2 falsch").arg(right).arg(wrong);
}

constexpr int kExpectedShownMs = 1500; // the correct term, in green
constexpr int kTypedShownMs = 500;     // the user's answer, in red
constexpr int kClockDigits = 8;
constexpr QPoint kClockPos{335, 336};
constexpr int kNoTimeout = -1;

const int kOptionIds[] = {IdIgnoreCase, IdIgnorePunctuation, IdAnyOrder};

} // namespace

CompareOptions RudarudDia::optionStates() const
{
    CompareOptions o;
    o.ignoreCase = button(IdIgnoreCase)->On();
    o.ignorePunctuation = button(IdIgnorePunctuation)->On();
    o.anyOrder = button(IdAnyOrder)->On();
    return o;
}

std::string RudarudDia::thresholdFieldText(std::size_t index) const
{
    return index < kThresholdCount ? fieldText(thresholds_[index]) : std::string();
}

std::string RudarudDia::lessonPath() const
{
    return toCp1252(fileName_);
}

std::uint32_t RudarudDia::questionSeed()
{
    Platform& platform = Platform::instance();
    return localTimeSeed(platform.localTime(platform.calendarTime()));
}

std::int64_t RudarudDia::calendarTime() const
{
    return Platform::instance().calendarTime();
}

bool RudarudDia::messageBox(const std::string& text, const std::string& caption, MessageKind kind)
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
    const int answer =
        Platform::instance().messageBox(this, fromCp1252(text), fromCp1252(caption), buttons, icon);
    return answer == Platform::IdYes || answer == Platform::IdOk;
}

void RudarudDia::setOptionsLocked(bool locked)
{
    for (int id : kOptionIds)
        button(id)->SetLocked(locked);
}

void RudarudDia::stopOptionBlink()
{
    for (int id : kOptionIds)
        button(id)->StopBlink();
}

void RudarudDia::startBlink(OptionButton which, std::uint32_t periodMs)
{
    if (myBMPButton* b = button(static_cast<int>(which))) b->StartBlink(static_cast<int>(periodMs));
}

void RudarudDia::resetEntryLine()
{
    entryLine_->Reset(kLedOff);
}

void RudarudDia::showEntryLineSegment(std::uint32_t drawn, std::uint32_t total)
{
    entryLine_->ShowSegment(drawn, total, kGreen);
    entryLine_->setAccessibleName(QStringLiteral("%1 von %2").arg(drawn).arg(total));
}

void RudarudDia::showEntryLineRatio(std::uint32_t right, std::uint32_t wrong)
{
    entryLine_->ShowRatio(right, wrong, kGreen, kRed);
    entryLine_->setAccessibleName(ratioText(right, wrong));
}

void RudarudDia::restoreEntryLine(std::uint32_t entryCount)
{
    entryLine_->Reset(kLedOff);
    entryLine_->StepForward(entryCount);
}

void RudarudDia::showAnswerLineRatio(std::uint32_t right, std::uint32_t wrong)
{
    answerLine_->ShowRatio(right, wrong, kGreen, kRed);
    answerLine_->setAccessibleName(ratioText(right, wrong));
}

void RudarudDia::showGrade(std::uint32_t grade)
{
    gradeDigit_->SetValue(grade);
}

void RudarudDia::replaceClock(bool wallClock)
{
    const bool visible = clock_ == nullptr || clock_->isVisible();
    delete clock_;
    clock_ = new LEDWindow(this, kClockPos.x(), kClockPos.y(), kClockDigits, false,
                           wallClock ? LEDWindow::Mode::WallClock : LEDWindow::Mode::ElapsedClock,
                           wallClock ? Platform::instance().calendarTime() : 0);
    clock_->setAccessibleDescription(QStringLiteral("Uhr"));
    clock_->setVisible(visible);
}

void RudarudDia::startElapsedClock()
{
    replaceClock(false);
}

void RudarudDia::startWallClock()
{
    replaceClock(true);
}

void RudarudDia::setQuestionReadOnly(bool readOnly)
{
    term1_->setReadOnly(readOnly);
}

void RudarudDia::playSound(const std::string& fileName)
{
    Platform::instance().playSound(QString::fromLatin1(fileName.c_str()));
}

void RudarudDia::messageBeep()
{
    Platform::instance().messageBeep();
}

void RudarudDia::startAnswerFeedback(const std::string& expected)
{
    feedbackExpected_ = expected;
    feedbackTyped_ = fieldText(term2_);
    term2_->setReadOnly(true); // a read-only field shows no caret
    feedbackPhase_ = 0;
    flashStep();
}

void RudarudDia::flashStep()
{
    ++feedbackPhase_;
    const bool showExpected = feedbackPhase_ % 2 == 1;
    answerColour_ = QColor(toQRgb(showExpected ? kGreen : kRed));
    applyColours();
    setFieldText(term2_, showExpected ? feedbackExpected_ : feedbackTyped_);
    feedbackTimer_.start(showExpected ? kExpectedShownMs : kTypedShownMs);
}

void RudarudDia::stopAnswerFeedback()
{
    feedbackTimer_.stop();
    feedbackExpected_.clear();
    feedbackTyped_.clear();
    term2_->setReadOnly(false);
    answerColour_ = QColor(toQRgb(kRed));
    applyColours();
}

void RudarudDia::showReport(const std::string& title, const std::string& text)
{
    new MSGWin(window(), fromCp1252(title), fromCp1252(text), mediumFont_, Qt::black, kNoTimeout);
}

void RudarudDia::showResultsLog()
{
    const ResultsLog log = ResultsLog::load(kResultsLogFileName);
    const ResultsLogView view = resultsLogView(
        log, [](std::int64_t seconds) { return Platform::instance().localTime(seconds); });
    if (view.notice)
        new MSGWin(window(), fromCp1252(view.title), fromCp1252(view.text), bigFont_, Qt::red,
                   static_cast<int>(kNoticeTimeoutMs));
    else
        new MSGWin(window(), fromCp1252(view.title), fromCp1252(view.text), fixedFont_, Qt::black,
                   kNoTimeout);
}
