#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

// Puts the process in a time zone for the guard's life, then back in the one before.
class TzGuard {
public:
    explicit TzGuard(const char* zone) : had_(std::getenv("TZ") != nullptr)
    {
        if (had_) old_ = std::getenv("TZ");
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TzGuard()
    {
        had_ ? ::setenv("TZ", old_.c_str(), 1) : ::unsetenv("TZ");
        ::tzset();
    }

private:
    bool had_;
    std::string old_;
};

// The time of a local wall-clock reading "YYYY-MM-DD HH:MM:SS" in the zone in force.
inline std::int64_t localTime(const char* text)
{
    std::tm tm{};
    std::sscanf(text, "%d-%d-%d %d:%d:%d", &tm.tm_year, &tm.tm_mon, &tm.tm_mday, &tm.tm_hour,
                &tm.tm_min, &tm.tm_sec);
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}
