#pragma once

#include "progress_text.h"

#include <vector>

class QWidget;

// The progress picture of the current lesson, drawn with Qt Charts: how many entries stand in
// each box for each direction, and the grades of the last results over time. Its numbers stand
// below the charts as text, which a screen reader reads (the charts are pictures to it). A
// window of its own, owned by `owner` and deleted when closed; follows a dark palette.
//
// It lives in a module of its own (the "kaz-chart" library), loaded when it is first shown:
// Qt Charts and the OpenGL libraries it pulls in cost the start-up several milliseconds and
// over a megabyte, for a window few learners open.
QWidget* showLearningChart(QWidget* owner, const BoxCounts& boxes,
                           const std::vector<GradePoint>& grades);

// The module's one entry point, showLearningChart, resolved by this name.
using ShowLearningChart = QWidget* (*)(QWidget* owner, const BoxCounts& boxes,
                                       const std::vector<GradePoint>& grades);
inline constexpr const char* kShowLearningChartSymbol = "kazShowLearningChart";
inline constexpr const char* kChartModuleName = "kaz-chart";
