// The six answer cues, read from the resource the trainer plays them from.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include <QFile>

namespace {

constexpr qint64 kMaxFileBytes = 40 * 1024;

struct Pcm {
    int rate = 0;
    std::vector<std::int16_t> samples;
};

std::uint32_t byteAt(const QByteArray& bytes, qsizetype at)
{
    return static_cast<unsigned char>(bytes.at(at));
}

std::uint16_t le16(const QByteArray& bytes, qsizetype at)
{
    return static_cast<std::uint16_t>(byteAt(bytes, at) | byteAt(bytes, at + 1) << 8);
}

std::uint32_t le32(const QByteArray& bytes, qsizetype at)
{
    return le16(bytes, at) | static_cast<std::uint32_t>(le16(bytes, at + 2)) << 16;
}

// A RIFF WAVE file of 16-bit PCM mono, or nothing.
std::optional<Pcm> readPcmMono16(const QByteArray& bytes)
{
    if (bytes.size() < 12 || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE")
        return std::nullopt;
    Pcm pcm;
    bool formatSeen = false;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const QByteArray id = bytes.mid(at, 4);
        const qsizetype size = le32(bytes, at + 4);
        const qsizetype body = at + 8;
        if (body + size > bytes.size()) return std::nullopt;
        if (id == "fmt ") {
            if (size < 16 || le16(bytes, body) != 1 || le16(bytes, body + 2) != 1 ||
                le16(bytes, body + 14) != 16)
                return std::nullopt;
            pcm.rate = static_cast<int>(le32(bytes, body + 4));
            formatSeen = true;
        } else if (id == "data" && formatSeen) {
            for (qsizetype i = 0; i + 1 < size; i += 2)
                pcm.samples.push_back(static_cast<std::int16_t>(le16(bytes, body + i)));
            return pcm;
        }
        at = body + size + (size & 1);
    }
    return std::nullopt;
}

// Mean pitch of a stretch, from its zero crossings, in Hz.
double pitchHz(const Pcm& pcm, std::size_t from, std::size_t to)
{
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        crossings += (pcm.samples[i - 1] < 0) != (pcm.samples[i] < 0);
    return crossings * pcm.rate / (2.0 * static_cast<double>(to - from));
}

struct CueCase {
    const char* name;
    bool right; // OK cue: bright and rising; NO cue: low and falling
};

TEST(SoundCues, ShortCleanAndOfTheirKind)
{
    const CueCase cases[] = {{"OK1.WAV", true},  {"OK2.WAV", true},  {"OK3.WAV", true},
                             {"NO1.WAV", false}, {"NO2.WAV", false}, {"NO3.WAV", false}};
    for (const CueCase& c : cases) {
        SCOPED_TRACE(c.name);
        QFile file(QStringLiteral(":/sounds/") + QLatin1String(c.name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "not in the resource";
        EXPECT_LT(file.size(), kMaxFileBytes);
        const auto pcm = readPcmMono16(file.readAll());
        ASSERT_TRUE(pcm.has_value()) << "not 16-bit PCM mono";
        EXPECT_TRUE(pcm->rate == 22050 || pcm->rate == 44100) << pcm->rate;

        const double seconds = static_cast<double>(pcm->samples.size()) / pcm->rate;
        EXPECT_GE(seconds, 0.2);
        EXPECT_LE(seconds, 0.4);

        // Fades: silent at both ends, no clipping, loud enough to hear.
        EXPECT_LE(std::abs(pcm->samples.front()), 64);
        EXPECT_LE(std::abs(pcm->samples.back()), 64);
        int peak = 0;
        for (const std::int16_t s : pcm->samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_GT(peak, 32767 / 8);
        EXPECT_LT(peak, 32767 * 9 / 10);

        const std::size_t third = pcm->samples.size() / 3;
        const double early = pitchHz(*pcm, 0, third);
        const double late = pitchHz(*pcm, 2 * third, pcm->samples.size());
        if (c.right) {
            EXPECT_GT(early, 600.0);
            EXPECT_GT(late, early) << "rising";
        } else {
            EXPECT_LT(early, 500.0);
            EXPECT_LT(late, early) << "falling";
        }
    }
}

} // namespace
