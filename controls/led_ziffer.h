#pragma once

#include <QImage>
#include <QWidget>

// One LED digit: a 13 x 23 px child window that shows a digit face it is handed. The faces
// belong to the LEDWindow that holds the digit.
class LEDZiffer : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 13;  // px
    static constexpr int kHeight = 23; // px

    // A visible child at position (parent pixels), showing nothing yet.
    LEDZiffer(QWidget* parent, QPoint position);

    // Shows face (not owned; nullptr shows nothing) and repaints at once, whether or not the
    // face changed.
    void SetBitmap(const QImage* face);
    const QImage* Bitmap() const { return face_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage* face_ = nullptr;
};
