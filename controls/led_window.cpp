#include "led_window.h"

#include <QAccessible>
#include <QPainter>
#include <QTimerEvent>

#include "control_accessibles.h"
#include "led_ziffer.h"
#include "pictures.h"
#include "pixel_lines.h"
#include "platform.h"

namespace {

constexpr int kFirstFaceBitmap = 5018; // digits 0 to 9 are 5018 to 5027, the colon 5028
constexpr int kClockPending = 1;       // clock mode before the tick has been started

int startQtTimer(QObject& owner, int periodMs)
{
    return owner.startTimer(periodMs);
}

} // namespace

LEDWindow::LEDWindow(QWidget* parent, int x, int y, int digits, bool loadMapped, Mode mode,
                     std::int64_t value, TimerStart startTimer)
    : QWidget(parent), value_(value), digitCount_(clampLedDigitCount(digits)),
      clockMode_(mode != Mode::Counter ? kClockPending : 0), wallClock_(mode == Mode::WallClock)
{
    installControlAccessibles();
    if (mode != Mode::Counter) {
        startTime_ = Platform::instance().calendarTime();
        timeParts_ = utcClockTime(value);
    }
    const int width = LEDZiffer::kWidth * digitCount_ + 2;
    setGeometry(x, y, width, kHeight);
    rightEdge_ = LEDZiffer::kWidth * digitCount_ + 1;
    bottomEdge_ = kHeight - 1;

    for (int face = 0; face < kFaceCount; ++face) {
        faces_[static_cast<std::size_t>(face)] =
            loadBitmapResource(kFirstFaceBitmap + face, loadMapped);
        if (!loadMapped && faces_[static_cast<std::size_t>(face)].isNull())
            throw BitmapMissing(kFirstFaceBitmap + face);
    }
    for (int i = 0; i < digitCount_; ++i)
        digits_.push_back(new LEDZiffer(this, QPoint(width - 14 - LEDZiffer::kWidth * i, 1)));
    if (parent != nullptr) show();

    // Window set-up: the first picture, then the tick.
    ShowValue();
    if (clockMode_ != 0) {
        clockMode_ = (startTimer != nullptr ? startTimer : startQtTimer)(*this, kTickPeriodMs);
        if (clockMode_ == 0) ShowValue(); // no tick: from now on a counter of value_
    }
}

LEDWindow::~LEDWindow()
{
    if (clockMode_ != 0) killTimer(clockMode_);
}

void LEDWindow::SetValue(std::int64_t value)
{
    if (clockMode_ == 0)
        value_ = value;
    else
        timeParts_ = utcClockTime(value);
    ShowValue();
}

void LEDWindow::ShowValue()
{
    const std::vector<int> faces =
        clockMode_ == 0 ? counterFaces(value_, digitCount_) : clockFaces(timeParts_, digitCount_);
    bool changed = false;
    for (std::size_t i = 0; i < digits_.size(); ++i) {
        const QImage* face = &faces_[static_cast<std::size_t>(faces[i])];
        changed = changed || digits_[i]->Bitmap() != face;
        digits_[i]->SetBitmap(face);
    }
    if (changed && QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
}

void LEDWindow::Tick()
{
    Platform& platform = Platform::instance();
    const std::int64_t now = platform.calendarTime();
    if (wallClock_) {
        const std::tm local = platform.localTime(now);
        timeParts_ = {local.tm_hour, local.tm_min, local.tm_sec};
    } else {
        timeParts_ = utcClockTime(now - startTime_);
    }
    ShowValue();
}

int LEDWindow::ShownFace(int position) const
{
    if (position < 0 || position >= digitCount_) return -1;
    const QImage* face = digits_[static_cast<std::size_t>(position)]->Bitmap();
    for (std::size_t i = 0; i < faces_.size(); ++i) {
        if (face == &faces_[i]) return static_cast<int>(i);
    }
    return -1;
}

QString LEDWindow::ShownText() const
{
    QString text;
    for (int position = digitCount_ - 1; position >= 0; --position) {
        const int face = ShownFace(position);
        text += face == kColonFace ? QChar(u':')
                : face < 0         ? QChar(u' ')
                                   : QChar(static_cast<char16_t>(u'0' + face));
    }
    return text;
}

void LEDWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int r = rightEdge_, b = bottomEdge_;
    drawPixelPath(painter, Qt::black, {{0, b}, {r, b}, {r, 0}});
    drawPixelPath(painter, Qt::white, {{r, 0}, {0, 0}, {0, b}});
}

void LEDWindow::timerEvent(QTimerEvent* event)
{
    if (clockMode_ != 0 && event->timerId() == clockMode_)
        Tick();
    else
        QWidget::timerEvent(event);
}
