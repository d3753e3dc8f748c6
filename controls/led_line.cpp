#include "led_line.h"
#include "qt_rgb.h"

#include <QPainter>

#include "control_accessibles.h"
#include "direct_paint.h"
#include "flood_fill.h"
#include "pictures.h"
#include "pixel_lines.h"

RunLightPhase myLEDLine::runLight_;

myLEDLine::myLEDLine(QWidget* parent, int x, int y, int cellBitmapId, unsigned cellCount,
                     Style style)
    : QWidget(parent), framed_(style.framed), cellCount_(cellCount == 0 ? 1 : cellCount),
      vertical_(style.vertical)
{
    installControlAccessibles();
    cell_ = loadBitmapResource(cellBitmapId, true);
    cellCentre_ = QPoint(cell_.width() / 2, cell_.height() / 2);

    const int count = static_cast<int>(cellCount_);
    const QSize stripSize = vertical_ ? QSize(cell_.width(), count * cell_.height())
                                      : QSize(count * cell_.width(), cell_.height());
    strip_ = QImage(stripSize, QImage::Format_RGB32);
    strip_.fill(Qt::black);
    if (!cell_.isNull()) {
        QPainter painter(&strip_);
        for (unsigned i = 0; i < cellCount_; ++i)
            painter.drawImage(cellOrigin(i), cell_);
    }

    const int frame = framed_ ? kFrameWidth : 0;
    setGeometry(x - frame, y - frame, stripSize.width() + 2 * frame,
                stripSize.height() + 2 * frame);

    runTimer_.setInterval(kRunPeriodMs);
    connect(&runTimer_, &QTimer::timeout, this, &myLEDLine::RunStep);
    if (parent != nullptr) show();
}

myLEDLine::~myLEDLine() = default;

QPoint myLEDLine::cellOrigin(unsigned i) const
{
    const int at = static_cast<int>(i);
    return vertical_ ? QPoint(0, at * cell_.height()) : QPoint(at * cell_.width(), 0);
}

QRect myLEDLine::CellRect(unsigned i) const
{
    const int frame = framed_ ? kFrameWidth : 0;
    return QRect(cellOrigin(i) + QPoint(frame, frame), cell_.size());
}

Rgb myLEDLine::CellColour(unsigned i) const
{
    const QPoint fillPoint = cellOrigin(i) + cellCentre_;
    if (i >= cellCount_ || !strip_.valid(fillPoint)) return kBlack;
    return fromQRgb(strip_.pixel(fillPoint));
}

void myLEDLine::SetCell(unsigned i, Rgb colour)
{
    const QPoint fillPoint = cellOrigin(i) + cellCentre_;
    if (i >= cellCount_ || !strip_.valid(fillPoint)) return;
    const QRgb shown = strip_.pixel(fillPoint) & RGB_MASK;
    const QRgb wanted = toQRgb(colour) & RGB_MASK;
    if (shown == wanted) return;
    floodFillSurface(strip_, fillPoint, shown, wanted);
    repaintNow(*this, CellRect(i));
}

void myLEDLine::Reset(Rgb colour)
{
    StopRunning();
    for (const CellPaint& p : resetCells(step_, cellCount_, colour))
        SetCell(p.cell, p.colour);
}

void myLEDLine::ShowSegment(unsigned a, unsigned b, Rgb colour)
{
    StopRunning();
    if (b == 0) {
        Reset(kLedOff);
        return;
    }
    const CellRange range = segmentRange(cellCount_, a, b);
    for (unsigned i = range.from; i < range.to; ++i)
        SetCell(i, colour);
}

void myLEDLine::StepForward()
{
    StopRunning();
    for (const CellPaint& p : stepForwardCells(step_, cellCount_))
        SetCell(p.cell, p.colour);
}

void myLEDLine::StepBack()
{
    for (const CellPaint& p : stepBackCells(step_, cellCount_))
        SetCell(p.cell, p.colour);
}

namespace {

// Runs `times` steps of the line's arithmetic and keeps the last colour of each cell, in the
// order the cells were first touched.
template <typename Step> CellPaints coalescedSteps(unsigned times, unsigned cells, Step step)
{
    std::vector<int> slot(cells, -1);
    CellPaints out;
    for (unsigned t = 0; t < times; ++t) {
        for (const CellPaint& p : step()) {
            if (p.cell >= cells) continue;
            if (slot[p.cell] < 0) {
                slot[p.cell] = static_cast<int>(out.size());
                out.push_back(p);
            } else {
                out[static_cast<std::size_t>(slot[p.cell])].colour = p.colour;
            }
        }
    }
    return out;
}

} // namespace

void myLEDLine::StepForward(unsigned times)
{
    if (times == 0) return;
    StopRunning();
    // Every lap begins by switching the row off, so only the last two laps' steps leave a
    // colour: a lesson of 100,000 entries steps through them, not through all.
    if (const unsigned kept = 2 * cellCount_; times > kept) {
        skipForward(step_, cellCount_, times - kept);
        times = kept;
    }
    for (const CellPaint& p :
         coalescedSteps(times, cellCount_, [this] { return stepForwardCells(step_, cellCount_); }))
        SetCell(p.cell, p.colour);
}

void myLEDLine::StepBack(unsigned times)
{
    for (const CellPaint& p :
         coalescedSteps(times, cellCount_, [this] { return stepBackCells(step_, cellCount_); }))
        SetCell(p.cell, p.colour);
}

void myLEDLine::ShowRatio(unsigned a, unsigned b, Rgb colourA, Rgb colourB)
{
    StopRunning();
    for (const CellPaint& p : ratioCells(cellCount_, a, b, colourA, colourB))
        SetCell(p.cell, p.colour);
}

void myLEDLine::StartRunning()
{
    if (running_) return;
    running_ = true;
    runTimer_.start();
}

void myLEDLine::StopRunning()
{
    if (!running_) return;
    running_ = false;
    runTimer_.stop();
    Reset(kLedOff);
}

void myLEDLine::RunStep()
{
    for (const CellPaint& p : runStepCells(runLight_, runPosition_, cellCount_))
        SetCell(p.cell, p.colour);
}

void myLEDLine::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!framed_) {
        painter.drawImage(QPoint(0, 0), strip_);
        return;
    }
    const int w = width(), h = height();
    drawPixelPath(painter, Qt::black, {{w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}, {w - 1, 0}});
    drawPixelPath(painter, QColor(128, 128, 128), {{w - 2, 1}, {w - 2, h - 2}, {1, h - 2}});
    drawPixelPath(painter, Qt::white, {{1, h - 2}, {1, 1}, {w - 2, 1}});
    painter.drawImage(QPoint(kFrameWidth, kFrameWidth), strip_);
}
