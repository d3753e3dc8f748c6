#pragma once

#include "learning_record.h"

class QWidget;

// Opens the progress picture (the module "kaz-chart", learning_chart.h) of the lesson's boxes
// and the results log's grades, owned by `owner`. Without the module a message box says it is
// not installed and the result is null.
QWidget* showProgressChart(QWidget& owner, const BoxCounts& boxes);
