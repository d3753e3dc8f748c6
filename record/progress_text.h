#pragma once

#include "learning_record.h"

#include <cstdint>
#include <string>
#include <vector>

// One result of the results log as the progress picture shows it.
struct GradePoint {
    std::string when; // the day it was drilled, as shown ("08.12.")
    std::uint32_t grade = 0;
};

// The numbers behind the progress picture, one line each, German, UTF-8: the entries in each
// box for each direction, then the grades of the last results, oldest first. A screen reader
// reads these; the picture only draws them.
std::vector<std::string> progressLines(const BoxCounts& boxes,
                                       const std::vector<GradePoint>& grades);
