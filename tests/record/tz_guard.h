#pragma once

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// Puts the process in a time zone for the guard's life and restores the one before.
class TzGuard {
public:
    explicit TzGuard(const char* zone)
    {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~TzGuard()
    {
        if (old_)
            ::setenv("TZ", old_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    TzGuard(const TzGuard&) = delete;
    TzGuard& operator=(const TzGuard&) = delete;

private:
    std::optional<std::string> old_;
};

// Seconds since the epoch of a local wall-clock time "YYYY-MM-DD HH:MM:SS" in the zone in
// force; the daylight-saving flag is found by the C library.
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
