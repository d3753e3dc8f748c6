// Hostile files of other trainers in the real window, through the open dialog's type "Andere
// Vokabelprogramme": entities that expand, deep nesting, a gzip bomb of 2 GiB, a FIFO, a device
// that never ends, random bytes. Each is refused with a message at once; nothing is taken,
// nothing hangs or aborts.
#include "dialog_fixture.h"

#include <QElapsedTimer>

#include <filesystem>
#include <random>

#include <sys/stat.h>
#include <zlib.h>

namespace {

const QString kForeignFilter = "Andere Vokabelprogramme (*.kvtml *.pau.gz *.pau *.txt)";
// What a refusal may take at most, far above what it takes (well under a second).
constexpr qint64 kPromptMs = 20000;

std::string gzipMember(std::size_t bytes)
{
    const std::string plain(bytes, ' ');
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, plain.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
    z.avail_in = static_cast<uInt>(plain.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

enum class Make { Bytes, Fifo, Link };

struct HostileCase {
    const char* name;
    const char* fileName;
    Make make;
    std::function<std::string()> bytes; // or the link's target
    const char* message;                // %1: the path in capitals
};

class HostileForeignFile : public DialogTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileForeignFile, IsRefusedAtOnceWithNothingTaken)
{
    const HostileCase& c = GetParam();
    const std::string path = dir.file(c.fileName);
    switch (c.make) {
    case Make::Bytes:
        writeLesson(c.fileName, c.bytes());
        break;
    case Make::Fifo:
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        break;
    case Make::Link:
        std::filesystem::create_symlink(c.bytes(), path);
        break;
    }
    // The limits of a machine with less memory; the real ones are larger by as much.
    LessonReadLimits limits;
    limits.maxEntries = 100'000;
    dia->document().setReadLimits(limits);

    QElapsedTimer clock;
    clock.start();
    platform.openAnswers.push_back(QString::fromStdString(path));
    platform.openFilterAnswers.push_back(kForeignFilter);
    dia->command(IdLoad);
    EXPECT_LT(clock.elapsed(), kPromptMs);

    EXPECT_TRUE(dia->document().chain().empty());
    EXPECT_FALSE(dia->unsaved());
    EXPECT_EQ(dia->windowTitleText(), " KAZ-TRAINER 1.0   Lektion: NEU");
    ASSERT_EQ(platform.messages.size(), 1u);
    const QString shown = QDir::toNativeSeparators(QString::fromStdString(path)).toUpper();
    EXPECT_TRUE(platform.messages[0].text.startsWith(QString::fromUtf8(c.message).arg(shown)))
        << platform.messages[0].text.toStdString();
    EXPECT_EQ(platform.messages[0].caption, "Dateifehler");
}

std::string laughs()
{
    std::string dtd = "<?xml version=\"1.0\"?><!DOCTYPE kvtml [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 12; ++i) {
        dtd += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k)
            dtd += "&l" + std::to_string(i - 1) + ";";
        dtd += "\">";
    }
    return dtd + "]><kvtml version=\"2.0\"><entries><entry id=\"0\"><translation id=\"0\">"
                 "<text>&l11;</text></translation></entry></entries></kvtml>";
}

std::string randomBytes(std::size_t n)
{
    std::mt19937 random(38);
    std::string out(n, '\0');
    for (char& c : out)
        c = static_cast<char>(random());
    return out;
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileForeignFile,
    ::testing::Values(
        HostileCase{"entities_that_expand", "lol.kvtml", Make::Bytes, laughs,
                    "Datei %1 nicht im korrekten Format!\nZeile 1: Die Datei vereinbart Entitäten"},
        HostileCase{"nesting_five_million_deep", "tief.kvtml", Make::Bytes,
                    [] {
                        std::string deep = "<kvtml>";
                        for (int i = 0; i < 5'000'000; ++i)
                            deep += "<e>";
                        return deep;
                    },
                    "Datei %1 nicht im korrekten Format!\nZeile 1: Elemente tiefer als 64"},
        HostileCase{"gzip_bomb_of_two_gibibytes", "bombe.pau.gz", Make::Bytes,
                    [] {
                        const std::string member = gzipMember(1 << 20);
                        std::string bomb;
                        for (int i = 0; i < 2048; ++i)
                            bomb += member;
                        return bomb;
                    },
                    "Datei %1 ist zu groß für den Arbeitsspeicher!\nEine Datei anderer "
                    "Vokabelprogramme wird mit höchstens 100.000 Einträgen und 25 MB"},
        HostileCase{"truncated_gzip", "kurz.pau.gz", Make::Bytes,
                    [] { return gzipMember(1 << 16).substr(0, 40); },
                    "Datei %1 nicht im korrekten Format!\ngzip-Daten beschädigt"},
        HostileCase{"fifo", "fifo.kvtml", Make::Fifo, nullptr, "Datei %1 nicht gefunden"},
        HostileCase{"device_that_never_ends", "null.pau", Make::Link,
                    [] { return std::string("/dev/zero"); },
                    "Datei %1 ist zu groß für den Arbeitsspeicher!"},
        HostileCase{"random_bytes_named_kvtml", "zufall.kvtml", Make::Bytes,
                    [] { return "<" + randomBytes(5'000'000); },
                    "Datei %1 nicht im korrekten Format!\nZeile 1: XML-Fehler"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
