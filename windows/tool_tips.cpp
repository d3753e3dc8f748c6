#include "tool_tips.h"

#include "tool_tip_texts.h"

#include <algorithm>

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

namespace {

// Qt asks a window whether it is active before it sends the tooltip event; this attribute
// lets the tip show while another application is in front (the old always-tip option).
void showTipsWhileInactive(QWidget* control)
{
    control->window()->setAttribute(Qt::WA_AlwaysShowToolTips);
}

} // namespace

ToolTips::ToolTips(QObject* parent) : QObject(parent) {}

ToolTips::~ToolTips()
{
    removeAll();
}

void ToolTips::addTool(QWidget* control, const QString& text)
{
    if (control == nullptr) return;
    if (Tool* tool = find(control)) {
        tool->text = text;
        return;
    }
    tools_.push_back({control, text});
    control->installEventFilter(this);
    showTipsWhileInactive(control);
}

void ToolTips::addTools(const std::function<QWidget*(int controlId)>& findControl)
{
    for (const ToolTipRow& row : kToolTipTable)
        addTool(findControl(row.controlId),
                QString::fromUtf16(row.text.data(), static_cast<qsizetype>(row.text.size())));
}

void ToolTips::removeAll()
{
    bool ownTipShowing = false;
    for (const Tool& tool : tools_) {
        if (tool.control.isNull()) continue;
        tool.control->removeEventFilter(this);
        ownTipShowing = ownTipShowing || (QToolTip::isVisible() && QToolTip::text() == tool.text);
    }
    tools_.clear();
    if (ownTipShowing) QToolTip::hideText();
}

QString ToolTips::text(const QWidget* control) const
{
    const auto it = std::find_if(tools_.begin(), tools_.end(),
                                 [control](const Tool& t) { return t.control == control; });
    return it == tools_.end() ? QString() : it->text;
}

ToolTips::Tool* ToolTips::find(const QObject* control)
{
    const auto it = std::find_if(tools_.begin(), tools_.end(),
                                 [control](const Tool& t) { return t.control == control; });
    return it == tools_.end() ? nullptr : &*it;
}

bool ToolTips::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        // The control may have moved into another window since it was registered.
        if (find(watched) != nullptr) showTipsWhileInactive(static_cast<QWidget*>(watched));
        break;
    case QEvent::ToolTip:
        if (const Tool* tool = find(watched)) {
            const auto* help = static_cast<QHelpEvent*>(event);
            QToolTip::showText(help->globalPos(), tool->text, tool->control);
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
