#include "learning_chart.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QPalette>
#include <QPlainTextEdit>
#include <QStringList>
#include <QShortcut>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

constexpr int kChartWidth = 460;  // px
constexpr int kChartHeight = 270; // px
constexpr int kWorstGrade = 6;

// The desktop's palette, not the main window's: that one sets its own colours.
bool darkPalette()
{
    constexpr int kMidLightness = 128;
    return QApplication::palette().color(QPalette::Window).lightness() < kMidLightness;
}

QChartView* chartView(QChart* chart)
{
    chart->setTheme(darkPalette() ? QChart::ChartThemeDark : QChart::ChartThemeLight);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(kChartWidth, kChartHeight);
    return view;
}

QChartView* boxChart(const BoxCounts& boxes)
{
    auto* series = new QBarSeries;
    const QString names[kDirectionCount] = {QStringLiteral("1. Begriff gezeigt"),
                                            QStringLiteral("2. Begriff gezeigt")};
    std::uint32_t most = 1;
    for (int d = 0; d < kDirectionCount; ++d) {
        auto* set = new QBarSet(names[d]);
        for (const std::uint32_t count : boxes[d]) {
            *set << count;
            most = std::max(most, count);
        }
        series->append(set);
    }
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Einträge je Fach"));
    chart->addSeries(series);
    auto* boxAxis = new QBarCategoryAxis;
    for (int box = 1; box <= kBoxCount; ++box)
        boxAxis->append(QStringLiteral("Fach %1").arg(box));
    chart->addAxis(boxAxis, Qt::AlignBottom);
    series->attachAxis(boxAxis);
    auto* countAxis = new QValueAxis;
    countAxis->setRange(0, most);
    countAxis->setLabelFormat(QStringLiteral("%d"));
    countAxis->setTickCount(static_cast<int>(std::min<std::uint32_t>(most, 5)) + 1);
    chart->addAxis(countAxis, Qt::AlignLeft);
    series->attachAxis(countAxis);
    return chartView(chart);
}

// An axis labelled 1 to last, half a step of room at either end, so that a point on the first
// or last value is drawn whole.
QValueAxis* wholeNumberAxis(int last)
{
    auto* axis = new QValueAxis;
    axis->setRange(0.5, last + 0.5);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(1);
    axis->setTickInterval(1);
    axis->setLabelFormat(QStringLiteral("%d"));
    return axis;
}

QChartView* gradeChart(const std::vector<GradePoint>& grades)
{
    auto* series = new QLineSeries;
    series->setName(QStringLiteral("Note"));
    series->setPointsVisible(true);
    series->setMarkerSize(10); // px: a single result stays visible
    for (std::size_t i = 0; i < grades.size(); ++i)
        series->append(static_cast<qreal>(i + 1), grades[i].grade);
    // Results numbered oldest first; their days are in the text below the charts.
    QValueAxis* timeAxis = wholeNumberAxis(std::max(static_cast<int>(grades.size()), 1));
    timeAxis->setTitleText(QStringLiteral("Ergebnis (das älteste zuerst)"));
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("Noten der letzten Ergebnisse"));
    chart->addSeries(series);
    chart->addAxis(timeAxis, Qt::AlignBottom);
    series->attachAxis(timeAxis);
    QValueAxis* gradeAxis = wholeNumberAxis(kWorstGrade);
    gradeAxis->setReverse(true); // the best grade at the top
    chart->addAxis(gradeAxis, Qt::AlignLeft);
    series->attachAxis(gradeAxis);
    chart->legend()->hide();
    return chartView(chart);
}

} // namespace

QWidget* showLearningChart(QWidget* owner, const BoxCounts& boxes,
                           const std::vector<GradePoint>& grades)
{
    auto* window = new QWidget(owner, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("learningChart"));
    window->setWindowTitle(QStringLiteral("Lernstand"));
    // Closed by Escape too, as the report and the results table are.
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_Escape), window), &QShortcut::activated,
                     window, &QWidget::close);
    auto* layout = new QVBoxLayout(window);

    QStringList lines;
    for (const std::string& line : progressLines(boxes, grades))
        lines << QString::fromStdString(line);
    QChartView* boxView = boxChart(boxes);
    boxView->setAccessibleName(QStringLiteral("Einträge je Fach"));
    boxView->setAccessibleDescription(lines.mid(0, kDirectionCount).join(QStringLiteral("; ")));
    layout->addWidget(boxView);
    QChartView* gradeView = gradeChart(grades);
    gradeView->setAccessibleName(QStringLiteral("Noten der letzten Ergebnisse"));
    gradeView->setAccessibleDescription(lines.back());
    layout->addWidget(gradeView);

    auto* numbers = new QPlainTextEdit(lines.join(u'\n'), window);
    numbers->setReadOnly(true);
    numbers->setAccessibleName(QStringLiteral("Zahlen des Lernstands"));
    numbers->setFixedHeight(numbers->fontMetrics().lineSpacing() * (lines.size() + 1) + 8);
    numbers->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(numbers);

    window->show();
    return window;
}

extern "C" Q_DECL_EXPORT QWidget* kazShowLearningChart(QWidget* owner, const BoxCounts& boxes,
                                                       const std::vector<GradePoint>& grades)
{
    return showLearningChart(owner, boxes, grades);
}
