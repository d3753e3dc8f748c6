#include "fsrs.h"

#include <algorithm>
#include <cmath>

namespace fsrs {

namespace {

double decay(const Parameters& w)
{
    return -w[20];
}

// Chosen so that recall is 90 % after `stability` days: (1 + factor)^decay = 0.9.
double factor(const Parameters& w)
{
    return std::pow(0.9, 1.0 / decay(w)) - 1.0;
}

double grade(Rating rating)
{
    return static_cast<double>(static_cast<int>(rating));
}

double initialDifficulty(Rating rating, const Parameters& w)
{
    return w[4] - std::exp(w[5] * (grade(rating) - 1.0)) + 1.0;
}

double clampDifficulty(double d)
{
    return std::clamp(d, 1.0, 10.0);
}

double nextDifficulty(double d, Rating rating, const Parameters& w)
{
    const double delta = -w[6] * (grade(rating) - 3.0);
    const double damped = d + (10.0 - d) * delta / 9.0;
    // Mean reversion towards the difficulty of a first answer "Easy" (within 1 to 10, as the
    // reference implementation has it).
    return clampDifficulty(w[7] * clampDifficulty(initialDifficulty(Rating::Easy, w)) +
                           (1.0 - w[7]) * damped);
}

double shortTermStability(double s, Rating rating, const Parameters& w)
{
    double increase = std::exp(w[17] * (grade(rating) - 3.0 + w[18])) * std::pow(s, -w[19]);
    if (rating == Rating::Good || rating == Rating::Easy) increase = std::max(increase, 1.0);
    return std::max(s * increase, kMinStability);
}

double recallStability(double d, double s, double r, Rating rating, const Parameters& w)
{
    const double hardPenalty = rating == Rating::Hard ? w[15] : 1.0;
    const double easyBonus = rating == Rating::Easy ? w[16] : 1.0;
    return s * (1.0 + std::exp(w[8]) * (11.0 - d) * std::pow(s, -w[9]) *
                          (std::exp((1.0 - r) * w[10]) - 1.0) * hardPenalty * easyBonus);
}

double forgetStability(double d, double s, double r, const Parameters& w)
{
    const double longTerm = w[11] * std::pow(d, -w[12]) * (std::pow(s + 1.0, w[13]) - 1.0) *
                            std::exp((1.0 - r) * w[14]);
    const double shortTerm = s / std::exp(w[17] * w[18]);
    return std::min(longTerm, shortTerm);
}

} // namespace

Memory initial(Rating rating, const Parameters& w)
{
    return Memory{std::max(w[static_cast<std::size_t>(grade(rating) - 1)], kMinStability),
                  clampDifficulty(initialDifficulty(rating, w))};
}

double retrievability(double elapsedDays, double stability, const Parameters& w)
{
    return std::pow(1.0 + factor(w) * std::max(elapsedDays, 0.0) / stability, decay(w));
}

Memory next(Memory memory, double elapsedDays, Rating rating, const Parameters& w)
{
    Memory after;
    if (elapsedDays < 1.0) {
        after.stability = shortTermStability(memory.stability, rating, w);
    } else {
        const double r = retrievability(elapsedDays, memory.stability, w);
        after.stability = rating == Rating::Again
                              ? forgetStability(memory.difficulty, memory.stability, r, w)
                              : recallStability(memory.difficulty, memory.stability, r, rating, w);
        after.stability = std::max(after.stability, kMinStability);
    }
    after.difficulty = nextDifficulty(memory.difficulty, rating, w);
    return after;
}

int intervalDays(double stability, double desiredRetention, const Parameters& w)
{
    const double days = stability / factor(w) * (std::pow(desiredRetention, 1.0 / decay(w)) - 1.0);
    return static_cast<int>(std::clamp(std::round(days), 1.0, double{kMaxIntervalDays}));
}

} // namespace fsrs
