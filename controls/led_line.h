#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "led_line_logic.h"
#include "rgb.h"

// A row (or column) of small round LEDs, each recoloured on its own. The off-screen strip,
// which holds every cell side by side, is the truth of what is shown: a cell's colour is the
// strip's pixel at the cell's centre. A change recolours the cell's body in the strip by a
// flood fill and paints that cell at once; nothing is drawn when the cell already has the
// colour.
//
// On top of that: a step counter that lights one more cell per step and changes its colour
// each lap (green, yellow, red), a progress segment, a two-colour ratio, and an idle running
// light ticking every 250 ms whose phase is shared by all lines of the program.
//
// Assistive technology sees a static text whose name is the accessible name: the owner says
// in words what the cells show (setAccessibleName("3 von 10")).
class myLEDLine : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRunPeriodMs = 250;
    static constexpr int kFrameWidth = 2; // px on every side when framed

    // How the line is laid out: cells side by side or one above the other, with or without a
    // sunken frame around them.
    struct Style {
        bool vertical = false;
        bool framed = false;
    };

    // x, y: parent pixels of the first cell (the frame lies outside). cellBitmapId: the cell
    // picture, loaded with the 3D-colour mapping. cellCount: at least 1 (0 gives 1).
    myLEDLine(QWidget* parent, int x, int y, int cellBitmapId, unsigned cellCount, Style style);
    ~myLEDLine() override;

    // Recolours cell i (i < cell count; others are ignored) and paints it at once.
    void SetCell(unsigned i, Rgb colour);
    // Stops the running light, gives every cell colour and starts a new count (green lap).
    void Reset(Rgb colour);
    // Colours the cells that belong to item a of b; b = 0 resets the line to off.
    void ShowSegment(unsigned a, unsigned b, Rgb colour);
    void StepForward();
    // Undoes one StepForward; does not stop the running light.
    void StepBack();
    // `times` steps at once, as fast as one: every cell is painted once with the colour the
    // single steps would have left, so a lesson of 100,000 entries counts in a moment.
    void StepForward(unsigned times);
    void StepBack(unsigned times);
    // Splits the line a : b (halves when both are 0), colourA from the first cell.
    void ShowRatio(unsigned a, unsigned b, Rgb colourA, Rgb colourB);
    void StartRunning();
    // Stops the light and resets the line to off; nothing when it is not running.
    void StopRunning();
    // One tick of the running light. Called by the timer.
    void RunStep();

    unsigned CellCount() const { return cellCount_; }
    bool IsRunning() const { return running_; }
    // The colour cell i shows (read from the strip); black for a cell that does not exist.
    Rgb CellColour(unsigned i) const;
    // Where cell i is painted, in this widget's pixels.
    QRect CellRect(unsigned i) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPoint cellOrigin(unsigned i) const; // in the strip

    bool framed_;
    unsigned cellCount_;
    unsigned runPosition_ = 0;
    bool running_ = false;
    LedStepState step_;
    bool vertical_;
    QImage cell_;
    QImage strip_;
    QPoint cellCentre_;
    QTimer runTimer_;

    static RunLightPhase runLight_; // one phase for all lines
};
