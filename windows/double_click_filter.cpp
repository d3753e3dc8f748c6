#include "double_click_filter.h"

#include <QCoreApplication>
#include <QMouseEvent>

bool DoubleClickAsPress::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseButtonDblClick) return QObject::eventFilter(watched, event);
    auto* doubleClick = static_cast<QMouseEvent*>(event);
    if (doubleClick->button() != Qt::LeftButton) return QObject::eventFilter(watched, event);

    QMouseEvent press(QEvent::MouseButtonPress, doubleClick->position(),
                      doubleClick->scenePosition(), doubleClick->globalPosition(),
                      doubleClick->button(), doubleClick->buttons(), doubleClick->modifiers(),
                      doubleClick->pointingDevice());
    press.setTimestamp(doubleClick->timestamp());
    QCoreApplication::sendEvent(watched, &press);
    doubleClick->setAccepted(press.isAccepted());
    return true;
}
