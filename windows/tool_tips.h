#pragma once

#include <functional>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

// The one tooltip service of the main dialog: the dialog registers its controls with their
// texts, and a tip shows while the mouse rests on a control, with the style's usual delays,
// even while another application is active. It handles the controls' tooltip events itself
// (it does not use QWidget::setToolTip), so removing a tool leaves the control as it was.
class ToolTips : public QObject {
public:
    explicit ToolTips(QObject* parent = nullptr);
    ~ToolTips() override;
    ToolTips(const ToolTips&) = delete;
    ToolTips& operator=(const ToolTips&) = delete;

    // Gives control the tip text; a control registered again takes the new text.
    void addTool(QWidget* control, const QString& text);
    // Registers the rows of kToolTipTable in table order; findControl maps a control id to
    // its widget. An id without a widget (null) is passed over, the others still register.
    void addTools(const std::function<QWidget*(int controlId)>& findControl);
    // Removes every tool and hides a tip that is showing. A second call does nothing.
    void removeAll();

    // The tip of control; empty when it has none.
    QString text(const QWidget* control) const;
    int toolCount() const { return static_cast<int>(tools_.size()); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Tool {
        QPointer<QWidget> control;
        QString text;
    };
    Tool* find(const QObject* control);

    std::vector<Tool> tools_;
};
