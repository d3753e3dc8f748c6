#include "bmp_button.h"
#include "qt_rgb.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QPainter>

#include "button_logic.h"
#include "control_accessibles.h"
#include "direct_paint.h"
#include "flash_area.h"
#include "flood_fill.h"
#include "log_font.h"
#include "pictures.h"

namespace {

constexpr QPoint kDefaultSamplePoint(9, 9);
// The label's font request: cell height and average width in px.
constexpr int kLabelCellHeight = 16;
constexpr int kLabelAverageWidth = 6;
constexpr int kLabelRaise = 2;     // px the label's top lies above the face's middle
constexpr int kDarkFaceGrey = 128; // a focus dot over a face pixel greyer than this is white

// The points of r's outline in order around it, each once.
QList<QPoint> outline(const QRect& r)
{
    QList<QPoint> points;
    for (int x = r.left(); x <= r.right(); ++x)
        points << QPoint(x, r.top());
    for (int y = r.top() + 1; y <= r.bottom(); ++y)
        points << QPoint(r.right(), y);
    for (int x = r.right() - 1; x >= r.left(); --x)
        points << QPoint(x, r.bottom());
    for (int y = r.bottom() - 1; y > r.top(); --y)
        points << QPoint(r.left(), y);
    return points;
}

} // namespace

myBMPButton::myBMPButton(QWidget* parent, int offBitmapId, int onBitmapId, const Options& options)
    : QAbstractButton(parent), toggles_(options.toggles), label_(options.label)
{
    const bool loadMapped = options.loadMapped;
    const QPoint samplePoint = options.samplePoint;
    const QString& label = options.label;
    installControlAccessibles();
    faces_[OffFaceIndex].image = loadBitmapResource(offBitmapId, loadMapped);
    faces_[OnFaceIndex].image = loadBitmapResource(onBitmapId, loadMapped);
    if (!loadMapped) {
        if (faces_[OffFaceIndex].image.isNull()) throw BitmapMissing(offBitmapId);
        if (faces_[OnFaceIndex].image.isNull()) throw BitmapMissing(onBitmapId);
    }

    const bool noSamplePoint = samplePoint.isNull();
    samplePoint_ = noSamplePoint ? kDefaultSamplePoint : samplePoint;
    for (FaceData& face : faces_) {
        const QImage& image = face.image;
        face.base = image.valid(samplePoint_) ? fromQRgb(image.pixel(samplePoint_)) : kBlack;
        face.current = face.base;
        face.flash = flashColourFor(face.base);
    }
    const QImage& offFace = faces_[OffFaceIndex].image;
    flashArea_ = noSamplePoint
                     ? offFace.rect()
                     : scanFlashArea(offFace, samplePoint_, toQRgb(faces_[OffFaceIndex].base));

    if (!label.isEmpty()) {
        for (FaceData& face : faces_)
            burnLabel(face.image, label);
    }

    setFocusPolicy(Qt::StrongFocus);
    resize(sizeHint());
    blinkTimer_.setTimerType(Qt::CoarseTimer);
    connect(&blinkTimer_, &QTimer::timeout, this, &myBMPButton::BlinkStep);
    // A toggle flips when it becomes pushed (a press, sliding back onto it while held, the
    // space bar), never on a repaint: a click whose press and release arrive before the next
    // paint must flip too, and a repaint while held must not flip again.
    connect(this, &QAbstractButton::pressed, this, [this] {
        const bool on = chooseFace(itemState(), on_, toggles_, locked_, true).on;
        if (on != on_) {
            SetOn(on);
            repaint(); // the held face follows the new state at once
        }
    });
}

myBMPButton::~myBMPButton() = default;

QSize myBMPButton::sizeHint() const
{
    return faces_[OffFaceIndex].image.size();
}

void myBMPButton::burnLabel(QImage& face, const QString& label)
{
    if (face.isNull()) return;
    face = face.convertToFormat(QImage::Format_RGB32);
    QFont font = logFont(QStringLiteral("Arial"), kLabelCellHeight, kLabelAverageWidth);
    font.setStyleStrategy(QFont::NoAntialias); // three clean colours, like the old raster text
    const QFontMetrics metrics(font);
    const int x = face.width() / 2 - metrics.horizontalAdvance(label) / 2;
    const int baseline = face.height() / 2 - kLabelRaise + metrics.ascent();

    QPainter painter(&face);
    painter.setFont(font);
    const struct {
        QPoint offset;
        QColor colour;
    } passes[] = {
        {{1, 1}, QColor(128, 128, 128)}, {{-1, -1}, QColor(192, 192, 192)}, {{0, 0}, Qt::black}};
    for (const auto& pass : passes) {
        painter.setPen(pass.colour);
        painter.drawText(QPoint(x, baseline) + pass.offset, label);
    }
}

void myBMPButton::SetOn(bool on)
{
    if (on == on_) return;
    on_ = on;
    if (toggles_ && QAccessible::isActive()) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void myBMPButton::StartBlink(int periodMs)
{
    if (blinking_) return;
    blinking_ = true;
    blinkTimer_.start(periodMs);
}

void myBMPButton::StopBlink()
{
    if (!blinking_) return;
    blinking_ = false;
    blinkTimer_.stop();
    const int atRest = on_ ? OnFaceIndex : OffFaceIndex;
    for (int i : {OffFaceIndex, OnFaceIndex}) {
        FaceData& face = faces_[static_cast<std::size_t>(i)];
        if (face.current == face.base) continue;
        if (i == atRest)
            BlinkStep();
        else
            recolour(face, face.base);
    }
}

void myBMPButton::BlinkStep()
{
    FaceData& face = faces_[on_ ? OnFaceIndex : OffFaceIndex];
    recolour(face, face.current != face.base ? face.base : face.flash);
    repaintNow(*this, flashArea_);
}

void myBMPButton::recolour(FaceData& face, Rgb colour)
{
    floodFillSurface(face.image, samplePoint_, toQRgb(face.current), toQRgb(colour));
    face.current = colour;
}

unsigned myBMPButton::itemState() const
{
    unsigned state = 0;
    if (isDown()) state |= ItemSelected;
    if (!isEnabled()) state |= ItemDisabled;
    // The window's focus widget, not hasFocus(): a press in an inactive window gives the focus
    // only once the activation arrives, and the press must not wait for it.
    if (window()->focusWidget() == this) state |= ItemFocus;
    return state;
}

void myBMPButton::paintEvent(QPaintEvent*)
{
    // DrawFace: the face follows the whole drawing state.
    const FaceChoice choice = chooseFace(itemState(), on_, toggles_, locked_, false);

    const QImage& face = faces_[choice.showOnFace ? OnFaceIndex : OffFaceIndex].image;
    if (face.isNull()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), face, QRect(QPoint(0, 0), faces_[OffFaceIndex].image.size()));
    if (ShowsFocusRect()) drawFocusRect(painter, face);
}

void myBMPButton::drawFocusRect(QPainter& painter, const QImage& face) const
{
    // Every other pixel of the outline, each in black or white against the face under it.
    const QRect r =
        QRect(QPoint(0, 0), faces_[OffFaceIndex].image.size())
            .intersected(rect())
            .adjusted(kFocusRectInset, kFocusRectInset, -kFocusRectInset, -kFocusRectInset);
    if (r.isEmpty()) return;
    QPolygon light, dark;
    const QList<QPoint> points = outline(r);
    for (qsizetype i = 0; i < points.size(); i += kFocusDotStep) {
        const QPoint p = points[i];
        const bool darkFace = face.valid(p) && qGray(face.pixel(p)) < kDarkFaceGrey;
        (darkFace ? light : dark) << p;
    }
    painter.setPen(Qt::white);
    painter.drawPoints(light);
    painter.setPen(Qt::black);
    painter.drawPoints(dark);
}

void myBMPButton::setKeyboardFocus(bool keyboard)
{
    if (keyboard == keyboardFocus_) return;
    keyboardFocus_ = keyboard;
    if (hasFocus()) update();
}

void myBMPButton::focusInEvent(QFocusEvent* event)
{
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        setKeyboardFocus(true);
        break;
    case Qt::ActiveWindowFocusReason: // the window comes back: the focus is as it was
    case Qt::PopupFocusReason:
        break;
    default:
        setKeyboardFocus(false);
        break;
    }
    QAbstractButton::focusInEvent(event);
}

void myBMPButton::keyPressEvent(QKeyEvent* event)
{
    setKeyboardFocus(true);
    QAbstractButton::keyPressEvent(event);
}

void myBMPButton::mousePressEvent(QMouseEvent* event)
{
    setKeyboardFocus(false);
    QAbstractButton::mousePressEvent(event);
}

void myBMPButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click is a press like the first.
    mousePressEvent(event);
}
