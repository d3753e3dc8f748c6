#pragma once

#include <array>

#include <QAbstractButton>
#include <QImage>
#include <QTimer>

#include "rgb.h"

class QPainter;

// How a picture button is made; the defaults make a command button.
struct BmpButtonOptions {
    bool loadMapped = true; // faces with the 3D-colour mapping
    bool toggles = false;   // a press flips On
    // Face px. (0, 0) stands for none, giving (9, 9) and a flash area of the whole face; any
    // other point is used as it is and the flash area measured around it.
    QPoint samplePoint{};
    QString label{}; // burnt into both faces, centred, once; empty for none
};

// A push button shown as one of two face pictures. Each instance keeps its own copies of the
// faces, so a burnt-in label or a blink never shows in another button with the same pictures.
//
// The face depends on the drawing state alone: held down with the focus shows the face
// opposite to the on state, everything else the at-rest face of the on state (the off face
// when off, the on face when on). A toggle button flips its on state in the draw in which it
// becomes held, unless locked; it shows its old state's face while held and the new one after
// release. Blinking flashes the uniform region around the sample point of the at-rest face
// between its own colour and a contrasting one, changing the face picture in place.
//
// "With the focus" means the button is its window's focus widget: a press gives the button the
// focus, but while the window's activation by that press is still on its way (X11 delivers it
// after the press), Qt holds the focus back; the press still counts as one with the focus.
//
// Apart from that it is an ordinary command button: clicked() when a press is released on it,
// the space bar included; a double click counts as a second press. It is not checkable in
// QAbstractButton's sense; assistive technology sees a toggle as a check box whose checked
// state is On() (see control_accessibles.h). With keyboard focus (reached by Tab, Backtab or a
// shortcut, or a key pressed while focused) a dotted focus rectangle is drawn over the face.
class myBMPButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Face { OffFaceIndex = 0, OnFaceIndex = 1 };

    using Options = BmpButtonOptions;

    // offBitmapId, onBitmapId: the face pictures. The dialog places the button (setGeometry);
    // the face is drawn at (0, 0), unscaled.
    myBMPButton(QWidget* parent, int offBitmapId, int onBitmapId, const Options& options = {});
    ~myBMPButton() override;

    // Starts blinking with periodMs; nothing when already blinking (the first period stays).
    void StartBlink(int periodMs);
    // Stops blinking and gives both faces their base colours back; the at-rest face is painted
    // at once, the other restored silently. Nothing when not blinking.
    void StopBlink();
    // One blink step: the at-rest face's region turns from base to flash colour or back and
    // is painted at once. Called by the timer.
    void BlinkStep();

    // The on/off state and the lock; setting either paints nothing. A change of a toggle's on
    // state is reported to assistive technology while it listens.
    bool On() const { return on_; }
    void SetOn(bool on);
    bool Locked() const { return locked_; }
    void SetLocked(bool locked) { locked_ = locked; }

    // The label burnt into the faces; empty for none.
    const QString& Label() const { return label_; }
    bool Toggles() const { return toggles_; }
    bool IsBlinking() const { return blinking_; }
    // The running blink period in ms; 0 when not blinking.
    int BlinkPeriod() const { return blinking_ ? blinkTimer_.interval() : 0; }
    QPoint SamplePoint() const { return samplePoint_; }
    QRect FlashArea() const { return flashArea_; }
    const QImage& FaceImage(Face face) const { return faces_[face].image; }
    Rgb BaseColour(Face face) const { return faces_[face].base; }
    Rgb CurrentColour(Face face) const { return faces_[face].current; }
    Rgb FlashColour(Face face) const { return faces_[face].flash; }
    // Whether the focus rectangle is drawn: the button has the focus and got it by keyboard.
    bool ShowsFocusRect() const { return keyboardFocus_ && hasFocus(); }
    // The focus rectangle's inset from the face's edge and its dot spacing, px.
    static constexpr int kFocusRectInset = 3;
    static constexpr int kFocusDotStep = 2;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    struct FaceData {
        QImage image;
        Rgb current = kBlack;
        Rgb base = kBlack;
        Rgb flash = kBlack;
    };

    unsigned itemState() const;
    void setKeyboardFocus(bool keyboard);
    void drawFocusRect(QPainter& painter, const QImage& face) const;
    void burnLabel(QImage& face, const QString& label);
    // Turns face's region at the sample point from its current colour to colour.
    void recolour(FaceData& face, Rgb colour);

    std::array<FaceData, 2> faces_;
    bool toggles_;
    QPoint samplePoint_;
    QRect flashArea_;
    bool blinking_ = false;
    bool locked_ = false;
    bool on_ = false;
    bool keyboardFocus_ = false; // the focus came by keyboard; kept while the window is inactive
    QString label_;
    QTimer blinkTimer_;
};
