#pragma once

#include <QFont>
#include <QString>
#include <QWidget>

// One line of engraved text: a light grey copy one pixel further along the text under a
// black copy. The label sizes itself to its text once, at construction. Upright, the text is
// turned a quarter clockwise (it reads from top to bottom) and the label grows upwards from
// its anchor, its bottom edge on y. Framed, a sunken 2 px frame encloses it. Transparent, the
// parent shows between the letters; otherwise the label's background is filled first.
//
// Text and font are copied, so the caller need not keep them alive. Assistive technology reads
// the text as the label's name unless an accessible name is set.
class my3DText : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFrameWidth = 2; // px on every side when framed

    // Upright (reading from top to bottom), with a sunken frame, with the parent showing
    // between the letters.
    struct Style {
        bool vertical = false;
        bool framed = false;
        bool transparent = false;
    };

    // x, y: parent pixels; the top-left corner, or for an upright label the bottom-left one.
    my3DText(QWidget* parent, int x, int y, const QString& text, const QFont& font, Style style);

    // The text's extent with this font: along the text and across it (ascent + descent), px.
    static QSize MeasureText(const QString& text, const QFont& font);

    const QString& Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool framed_;
    bool vertical_;
    QString text_;
    QFont font_;
};
