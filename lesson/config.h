#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

inline constexpr const char* kSettingsFileName = "DODADIZE.CFG";
inline constexpr std::size_t kConfigRecordBytes = 23;
inline constexpr std::size_t kThresholdCount = 5;
inline constexpr std::array<std::uint32_t, kThresholdCount> kDefaultThresholds = {90, 80, 66, 50,
                                                                                  20};

// The settings the program keeps between runs: the three comparison options and the lowest
// percentages for grades 1 to 5. The file image is the record itself, 23 bytes without gaps:
// three flag bytes, then five little-endian unsigned 32-bit thresholds.
//
// The program keeps one static Config: constructing it reads the settings file (defaults when
// it is missing, shorter than 23 bytes or unreadable; a longer file is read from its first 23
// bytes), destroying it writes the file. Failures there are silent; the program saves before
// that where it can still say that a change was lost.
class Config {
public:
    explicit Config(std::string path = kSettingsFileName);
    ~Config();

    Config(const Config&) = delete;
    Config& operator=(const Config&) = delete;

    std::uint8_t ignoreCase = 0;        // 0 off, any other value on
    std::uint8_t ignorePunctuation = 0; // ignore ". ; ,"
    std::uint8_t anyOrder = 0;          // order of comma-separated terms is irrelevant
    std::array<std::uint32_t, kThresholdCount> thresholds = kDefaultThresholds;

    void setDefaults();
    // Takes a file image; false (and the defaults) when it holds fewer than 23 bytes.
    // A threshold whose decimal text would not fit its 3-character field becomes 100.
    bool fromBytes(std::string_view bytes);
    std::array<std::uint8_t, kConfigRecordBytes> toBytes() const;

    // Writes the settings file now, unless it holds the record already; false when it could
    // not be written (errno tells why). A symbolic link in its place is replaced by the file.
    bool save() const;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};
