#include "no_inset_style.h"

#include <QStyleOption>

QRect NoInsetLineEditStyle::subElementRect(SubElement element, const QStyleOption* option,
                                           const QWidget* widget) const
{
    if (element != SE_LineEditContents || option == nullptr)
        return QProxyStyle::subElementRect(element, option, widget);
    // The frame as a style sheet takes it: the style's frame width for this widget, asked
    // without an option.
    const int frame = baseStyle()->pixelMetric(PM_DefaultFrameWidth, nullptr, widget);
    return option->rect.adjusted(frame, frame, -frame, -frame);
}
