#pragma once

#include "progress_text.h"

#include <vector>

class QWidget;

// The progress picture of the current lesson, drawn with Qt Charts: how many entries stand in
// each box for each direction, and the grades of the last results over time. Its numbers stand
// below the charts as text, which a screen reader reads (the charts are pictures to it). A
// window of its own, owned by `owner` and deleted when closed; follows a dark palette.
QWidget* showLearningChart(QWidget* owner, const BoxCounts& boxes,
                           const std::vector<GradePoint>& grades);
