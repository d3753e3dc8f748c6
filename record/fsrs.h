#pragma once

#include <array>

// FSRS-6, the Free Spaced Repetition Scheduler (open-spaced-repetition), as plain functions: an
// entry's memory as stability (days until recall falls to 90 %) and difficulty (1 to 10), how it
// changes with each graded answer, and the interval that keeps recall at a wanted probability.
// Written here rather than taken from a library: Debian has none, and the whole rule is these
// few formulas. The parameters are FSRS-6's published defaults (not fitted to one learner).
namespace fsrs {

enum class Rating { Again = 1, Hard = 2, Good = 3, Easy = 4 };

struct Memory {
    double stability = 0;  // days
    double difficulty = 0; // 1 (easy) to 10 (hard)
};

using Parameters = std::array<double, 21>;

// FSRS-6's default parameters w0 .. w20.
inline constexpr Parameters kDefaultParameters = {
    0.212,  1.2931, 2.3065, 8.2956, 6.4133, 0.8334, 3.0194, 0.001,  1.8722, 0.1666, 0.796,
    1.4835, 0.0614, 0.2629, 1.6483, 0.6014, 1.8729, 0.5425, 0.0912, 0.0658, 0.1542};

inline constexpr double kMinStability = 0.001; // days
inline constexpr int kMaxIntervalDays = 36500;

// The memory after the first answer.
Memory initial(Rating rating, const Parameters& w = kDefaultParameters);

// The probability of recall `elapsedDays` after the last answer.
double retrievability(double elapsedDays, double stability,
                      const Parameters& w = kDefaultParameters);

// The memory after an answer given `elapsedDays` whole days after the one before; 0 is the same
// day (FSRS's short-term rule).
Memory next(Memory memory, double elapsedDays, Rating rating,
            const Parameters& w = kDefaultParameters);

// Whole days until recall has fallen to `desiredRetention`: at least 1, at most 36,500.
int intervalDays(double stability, double desiredRetention = 0.9,
                 const Parameters& w = kDefaultParameters);

} // namespace fsrs
