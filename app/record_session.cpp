#include "record_session.h"

#include "platform.h"

#include <iostream>

#include <QTimer>
#include <QWidget>

RecordSession::RecordSession(QWidget& window) : QObject(&window), window_(window) {}

std::int64_t RecordSession::now()
{
    return Platform::instance().calendarTime();
}

void RecordSession::open()
{
    if (opened_) return;
    opened_ = true;
    record_.open(kLearningRecordFileName, now());
    showNoticeLater();
}

LearningRecord& RecordSession::record()
{
    open();
    return record_;
}

void RecordSession::finish(bool window)
{
    if (!opened_) return;
    if (record_.finish() == 0) return;
    std::string text, next;
    while (!(next = record_.takeNotice()).empty())
        text = next; // the last one says what is lost
    if (window)
        Platform::instance().messageBox(&window_, QString::fromStdString(text),
                                        QStringLiteral("Lernstand"), Platform::Buttons::Ok,
                                        Platform::Icon::Exclamation);
    else
        std::cerr << "KAZ-TRAINER: " << text << '\n';
}

// The record gives a fault's notice once; later faults stay silent.
void RecordSession::showNoticeLater()
{
    if (noticeQueued_) return;
    std::string notice = record_.takeNotice();
    if (notice.empty()) return;
    noticeQueued_ = true;
    QTimer::singleShot(0, this, [this, text = std::move(notice)] {
        Platform::instance().messageBox(&window_, QString::fromStdString(text),
                                        QStringLiteral("Lernstand"), Platform::Buttons::Ok,
                                        Platform::Icon::Exclamation);
        noticeQueued_ = false;
        showNoticeLater(); // the next one, if any
    });
}
