#include "config.h"

#include "safe_file.h"
#include "threshold_text.h"

#include <cerrno>

namespace {

constexpr std::size_t kFlagBytes = 3;

std::uint32_t readLittleEndian(std::string_view bytes, std::size_t at)
{
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return v;
}

} // namespace

Config::Config(std::string path) : path_(std::move(path))
{
    std::string bytes;
    if (!readFilePrefix(path_, kConfigRecordBytes, bytes) || !fromBytes(bytes)) setDefaults();
}

Config::~Config()
{
    save();
}

void Config::setDefaults()
{
    ignoreCase = ignorePunctuation = anyOrder = 0;
    thresholds = kDefaultThresholds;
}

bool Config::fromBytes(std::string_view bytes)
{
    if (bytes.size() < kConfigRecordBytes) {
        setDefaults();
        return false;
    }
    ignoreCase = static_cast<std::uint8_t>(bytes[0]);
    ignorePunctuation = static_cast<std::uint8_t>(bytes[1]);
    anyOrder = static_cast<std::uint8_t>(bytes[2]);
    for (std::size_t i = 0; i < kThresholdCount; ++i) {
        const std::uint32_t v = readLittleEndian(bytes, kFlagBytes + 4 * i);
        thresholds[i] = thresholdFitsField(v) ? v : kThresholdLimit;
    }
    return true;
}

std::array<std::uint8_t, kConfigRecordBytes> Config::toBytes() const
{
    std::array<std::uint8_t, kConfigRecordBytes> out{};
    out[0] = ignoreCase;
    out[1] = ignorePunctuation;
    out[2] = anyOrder;
    for (std::size_t i = 0; i < kThresholdCount; ++i)
        for (std::size_t b = 0; b < 4; ++b)
            out[kFlagBytes + 4 * i + b] = static_cast<std::uint8_t>(thresholds[i] >> (8 * b));
    return out;
}

bool Config::save() const
{
    const auto record = toBytes();
    const std::string_view bytes(reinterpret_cast<const char*>(record.data()), record.size());
    // The settings file is the program's own: a link in its place is replaced, never followed.
    if (replaceFileContents(path_, bytes, LinkTarget::Replace)) return true;
    // A file that holds the record already lost nothing (a full disk, a read-only file): a
    // failure means a change was lost.
    const int error = errno;
    std::string onDisk;
    if (readFilePrefix(path_, kConfigRecordBytes + 1, onDisk) && onDisk == bytes) return true;
    errno = error;
    return false;
}
