#include "progress_chart.h"

#include "learning_chart.h"
#include "platform.h"
#include "qt_platform.h"
#include "results_log.h"

#include <QString>
#include <QWidget>

namespace {

// The grades of the results log, each with its day ("08.12.").
std::vector<GradePoint> loggedGrades()
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
    return grades;
}

} // namespace

QWidget* showProgressChart(QWidget& owner, const BoxCounts& boxes)
{
    const auto show = reinterpret_cast<ShowLearningChart>(
        QtPlatform::moduleFunction(kChartModuleName, kShowLearningChartSymbol));
    if (show == nullptr) {
        Platform::instance().messageBox(
            &owner, QStringLiteral("Die Lernstand-Grafik ist nicht installiert."),
            QStringLiteral("Lernstand"), Platform::Buttons::Ok, Platform::Icon::Exclamation);
        return nullptr;
    }
    return show(&owner, boxes, loggedGrades());
}
