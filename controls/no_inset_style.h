#pragma once

#include <QProxyStyle>

// Lays a line edit's text over all of it inside its frame, without the inset a desktop style
// may add (several px in some): for fields too low for it. The same as a style sheet's
// "QLineEdit { padding: 0px; }", without a style sheet's parse and style per field. base: the
// style to follow (owned); none, an instance of the application's style.
class NoInsetLineEditStyle : public QProxyStyle {
public:
    explicit NoInsetLineEditStyle(QStyle* base = nullptr) : QProxyStyle(base) {}

    QRect subElementRect(SubElement element, const QStyleOption* option,
                         const QWidget* widget) const override;
};
