#pragma once

#include "learning_record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The lessons with something due, for the due button when no lesson is loaded. Plain C++.

struct DueLesson {
    std::string path; // the file's path bytes, absolute
    std::size_t due;  // due questions, as the due button counts them once it is loaded
    friend bool operator==(const DueLesson&, const DueLesson&) = default;
};

// The lesson files the record knows that hold something due on the local day of `now`, the
// latest answered first, at most `limit` (a name relative to the working folder is taken from
// there). Each is read from its file as it is now, so an entry
// changed since counts as new; a file no longer there, or no lesson any more, is left out.
std::vector<DueLesson> dueLessons(LearningRecord& record, std::int64_t now, std::size_t limit);
