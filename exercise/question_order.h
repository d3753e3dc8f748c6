#pragma once

#include <cstdint>
#include <ctime>

// The question generator: a 32-bit linear congruential generator whose draws are bits 12..26
// of the state. Every question advances it once; the sound variant reads the same bits.

inline constexpr std::uint32_t kSeedMultiplier = 22695477;
inline constexpr std::uint32_t kSeedIncrement = 1;
inline constexpr std::uint32_t kDrawShift = 12;
inline constexpr std::uint32_t kDrawMask = 0x7FFF;

constexpr std::uint32_t advanceSeed(std::uint32_t seed)
{
    return seed * kSeedMultiplier + kSeedIncrement; // modulo 2^32
}

// 0 .. 32767 from the state.
constexpr std::uint32_t seedDraw(std::uint32_t seed)
{
    return (seed >> kDrawShift) & kDrawMask;
}

// The seed of an exercise: the local date and time counted in seconds, i.e. the seconds from
// 1970-01-01 00:00 to the given local calendar date and time as a clock on the wall shows them
// (no time-zone offset applied), modulo 2^32. Fields out of their usual range are carried.
std::uint32_t localTimeSeed(const std::tm& local);
