#include "learning_view.h"

#include "cp1252.h"
#include "learning_chart.h"
#include "results_log.h"
#include "entry_chain.h"
#include "exercise_run.h"
#include "exercise_view.h"
#include "platform.h"
#include "qt_platform.h"
#include "query_mode.h"

#include <iostream>
#include <random>

#include <QTimer>
#include <QWidget>

LearningKeeper::LearningKeeper(QWidget& window, EntryChain& chain, ExerciseView& view)
    : QObject(&window), window_(window), chain_(chain), run_(view.run()),
      dueDrill_(window, *this, chain, view.run())
{
    view.run().setAnswerObserver([this](const AnswerEvent& event) { answered(event); });
}

LearningKeeper::~LearningKeeper() = default;

std::int64_t LearningKeeper::now()
{
    return Platform::instance().calendarTime();
}

void LearningKeeper::open()
{
    if (opened_) return;
    opened_ = true;
    record_.open(kLearningRecordFileName, now());
    showNoticeLater();
}

LearningRecord& LearningKeeper::record()
{
    open();
    return record_;
}

std::vector<TermPair> LearningKeeper::lessonTerms() const
{
    std::vector<TermPair> terms;
    terms.reserve(chain_.entryCount());
    for (const strWort* e = chain_.firstEntry(); e != nullptr; e = e->next)
        terms.push_back(TermPair{e->term1, e->term2});
    return terms;
}

void LearningKeeper::finish(bool window)
{
    if (!opened_) return;
    if (record_.finish() == 0) return;
    std::string text, next;
    while (!(next = record_.takeNotice()).empty())
        text = next; // the last one says what is lost
    if (window)
        Platform::instance().messageBox(&window_, fromCp1252(text), QStringLiteral("Lernstand"),
                                        Platform::Buttons::Ok, Platform::Icon::Exclamation);
    else
        std::cerr << "KAZ-TRAINER: " << fromCp1252(text).toStdString() << '\n';
}

void LearningKeeper::answered(const AnswerEvent& event)
{
    open();
    // The first question of a drill: a new drill (a pair standing twice moves once a drill).
    if (event.firstAsking && run_.asked() == 1) {
        std::random_device random;
        drill_ = (static_cast<DrillId>(random()) << 32) ^ random();
    }
    const AskedDirection direction = event.direction == kSecondTermShown
                                         ? AskedDirection::SecondTermShown
                                         : AskedDirection::FirstTermShown;
    record_.recordAnswer(TermPair{event.entry.term1, event.entry.term2}, direction, event.right,
                         event.firstAsking, now(), drill_);
    showNoticeLater();
}

// The observer may not open a window (it runs inside the drill's step), so the notice waits
// for the event loop. The record gives a fault's notice once; later faults stay silent.
void LearningKeeper::showNoticeLater()
{
    if (noticeQueued_) return;
    std::string notice = record_.takeNotice();
    if (notice.empty()) return;
    noticeQueued_ = true;
    QTimer::singleShot(0, this, [this, text = std::move(notice)] {
        Platform::instance().messageBox(&window_, fromCp1252(text), QStringLiteral("Lernstand"),
                                        Platform::Buttons::Ok, Platform::Icon::Exclamation);
        noticeQueued_ = false;
        showNoticeLater(); // the next one, if any
    });
}

QWidget* LearningKeeper::showChart()
{
    const ResultsLog log = ResultsLog::load(kResultsLogFileName);
    std::vector<GradePoint> grades;
    for (std::size_t slot = 0; slot < log.usedSlots(); ++slot) {
        const ResultRecord r = log.record(slot);
        const std::tm day = Platform::instance().localTime(r.startTime);
        grades.push_back(GradePoint{QStringLiteral("%1.%2.")
                                        .arg(day.tm_mday, 2, 10, QLatin1Char('0'))
                                        .arg(day.tm_mon + 1, 2, 10, QLatin1Char('0'))
                                        .toStdString(),
                                    r.grade});
    }
    const auto show = reinterpret_cast<ShowLearningChart>(
        QtPlatform::moduleFunction(kChartModuleName, kShowLearningChartSymbol));
    if (show == nullptr) {
        Platform::instance().messageBox(
            &window_, QStringLiteral("Die Lernstand-Grafik ist nicht installiert."),
            QStringLiteral("Lernstand"), Platform::Buttons::Ok, Platform::Icon::Exclamation);
        return nullptr;
    }
    return show(&window_, record().boxCounts(lessonTerms()), grades);
}
