// A writer killed with SIGKILL at any moment of a save must leave the file it replaces as one
// complete version, the old or the new one: never a mixture, a truncated file or no file. A
// child process saves two versions in turn, over and over, and is killed at random moments;
// after every kill the file on disk is compared byte for byte with both versions.
//
// What a killed writer may leave besides: its temporary file ".<name>.XXXXXX" in the target's
// folder, since nobody is left to remove it then. The next successful save removes it: the
// tests let such files gather, check their names, and check that one more save leaves only
// the target.
#include "config.h"
#include "entry_chain.h"
#include "file_bytes.h"
#include "lesson_file.h"
#include "results_log.h"
#include "kill_child.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kKills = 200;
constexpr auto kTimeBudget = std::chrono::seconds(90);
constexpr int kMinimumKills = 20; // even on a very slow machine
constexpr int kLessonEntries = 100000;
constexpr int kCalibrationSaves = 5;
// Kills fall anywhere within this many first-save durations after a writer has started, so
// they hit every phase: building the bytes, writing, flushing, renaming, and the next saves.
constexpr int kKillWindowSaves = 2;

struct KillStats {
    int kills = 0;
    int oldSeen = 0;       // the file held the old version after the kill
    int newSeen = 0;       // ... the new version
    int tempFilesLeft = 0; // kills after which a temporary file was there
    int mostTempFiles = 0; // the most temporary files there at once
};

// Writes the old version, then kills writers at random moments until kKills kills or the
// time budget; after each kill the target must be exactly one of the two versions and the
// only other files may be the writer's temporary files.
KillStats killDuringSaves(const fs::path& target, const std::string& oldBytes,
                          const std::string& newBytes, const SaveVersion& save)
{
    KillStats stats;
    EXPECT_NE(oldBytes, newBytes);
    // The target's folder holds nothing else, so every other file is the writer's.
    EXPECT_TRUE(fs::is_empty(target.parent_path()));
    EXPECT_TRUE(save(false));
    EXPECT_EQ(readBytes(target), oldBytes);

    // How long a fresh writer takes to its first complete save (a new process is slower at
    // first than the same save in a warm one).
    auto firstSaveTimes = std::vector<Clock::duration>();
    for (int i = 0; i < kCalibrationSaves; ++i) {
        Writer writer(save);
        const auto t0 = Clock::now();
        if (!writer.started() || !writer.waitForFirstSave()) {
            ADD_FAILURE() << "a writer did not complete a save";
            return stats;
        }
        firstSaveTimes.push_back(Clock::now() - t0);
    }
    EXPECT_TRUE(save(false));
    std::nth_element(firstSaveTimes.begin(), firstSaveTimes.begin() + kCalibrationSaves / 2,
                     firstSaveTimes.end());
    const auto window = firstSaveTimes[kCalibrationSaves / 2] * kKillWindowSaves;

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("random seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long long> delay(
        0, std::chrono::duration_cast<std::chrono::nanoseconds>(window).count());

    const std::string tempPrefix = "." + target.filename().string() + ".";
    const auto deadline = Clock::now() + kTimeBudget;
    while (stats.kills < kKills && Clock::now() < deadline) {
        int status = 0;
        {
            Writer writer(save);
            if (!writer.started()) {
                ADD_FAILURE() << "cannot start a writer";
                return stats;
            }
            sleepFor(std::chrono::nanoseconds(delay(random)));
            status = writer.kill();
        }
        ++stats.kills;
        if (!WIFSIGNALED(status)) {
            ADD_FAILURE() << "the writer ended by itself (status " << status
                          << "): a save reported failure";
            return stats;
        }

        const std::string onDisk = readBytes(target);
        if (onDisk == oldBytes) {
            ++stats.oldSeen;
        } else if (onDisk == newBytes) {
            ++stats.newSeen;
        } else {
            ADD_FAILURE() << "after kill " << stats.kills << " the file holds " << onDisk.size()
                          << " bytes that are neither version (" << oldBytes.size() << " / "
                          << newBytes.size() << " bytes)";
            return stats;
        }

        int temps = 0;
        for (const auto& e : fs::directory_iterator(target.parent_path())) {
            if (e.path() == target) continue;
            const std::string name = e.path().filename().string();
            const bool isTemp = name.size() == tempPrefix.size() + 6 &&
                                name.compare(0, tempPrefix.size(), tempPrefix) == 0 &&
                                e.is_regular_file();
            if (!isTemp) {
                ADD_FAILURE() << "unexpected file " << name << " beside " << target.filename();
                return stats;
            }
            ++temps;
        }
        stats.tempFilesLeft += temps > 0 ? 1 : 0;
        stats.mostTempFiles = std::max(stats.mostTempFiles, temps);
    }

    // A save that completes removes what the killed writers left.
    EXPECT_TRUE(save(true));
    EXPECT_EQ(readBytes(target), newBytes);
    std::vector<std::string> others;
    for (const auto& e : fs::directory_iterator(target.parent_path()))
        if (e.path() != target) others.push_back(e.path().filename().string());
    EXPECT_TRUE(others.empty()) << others.size() << " files beside the target, e.g. "
                                << (others.empty() ? "" : others.front());

    std::cout << "[ kills    ] " << target.filename().string() << ": " << stats.kills
              << " kills, old version " << stats.oldSeen << "x, new version " << stats.newSeen
              << "x, temporary files there " << stats.tempFilesLeft << "x (at most "
              << stats.mostTempFiles << " at once), kill window "
              << std::chrono::duration_cast<std::chrono::microseconds>(window).count() << " us\n";
    EXPECT_GE(stats.kills, kMinimumKills);
    // Both versions turn up: the writers did replace the file, and were also killed before
    // a replacement was complete.
    EXPECT_GT(stats.oldSeen, 0);
    EXPECT_GT(stats.newSeen, 0);
    return stats;
}

void fillLesson(EntryChain& chain, const std::string& variant)
{
    for (int i = 0; i < kLessonEntries; ++i)
        chain.append("Begriff " + std::to_string(i) + variant, "term " + std::to_string(i * 7));
}

TEST(KillDuringSave, LessonFileIsAlwaysOneCompleteVersion)
{
    TempDir dir;
    const fs::path target = dir.path() / "GROSS.LSN";
    EntryChain oldLesson;
    EntryChain newLesson;
    fillLesson(oldLesson, "");
    fillLesson(newLesson, " neu");
    newLesson.append("nur", "neu"); // a different length, too
    const SaveVersion save = [&](bool newVersion) {
        return writeLessonFile(target.string(), newVersion ? newLesson : oldLesson) ==
               LessonWriteResult::Written;
    };
    const KillStats stats =
        killDuringSaves(target, lessonBytes(oldLesson), lessonBytes(newLesson), save);
    // A lesson of about 2 MB takes long enough to write that kills land inside the writes,
    // where the temporary file exists: the case this test is about.
    EXPECT_GT(stats.tempFilesLeft, 0);
}

TEST(KillDuringSave, SettingsFileIsAlwaysOneCompleteVersion)
{
    TempDir dir;
    const fs::path target = dir.path() / kSettingsFileName;
    // Both write the target again when destroyed, after the checks; the folder goes then.
    Config oldSettings(target.string());
    Config newSettings(target.string());
    newSettings.ignoreCase = 1;
    newSettings.anyOrder = 1;
    newSettings.thresholds = {100, 75, 60, 40, 10};
    auto bytesOf = [](const Config& c) {
        const auto b = c.toBytes();
        return std::string(b.begin(), b.end());
    };
    const std::string oldBytes = bytesOf(oldSettings);
    const std::string newBytes = bytesOf(newSettings);
    const SaveVersion save = [&](bool newVersion) {
        return (newVersion ? newSettings : oldSettings).save();
    };
    killDuringSaves(target, oldBytes, newBytes, save);
}

TEST(KillDuringSave, ResultsLogIsAlwaysOneCompleteVersion)
{
    TempDir dir;
    const fs::path target = dir.path() / kResultsLogFileName;
    ResultsLog oldLog;
    ResultRecord record;
    record.startTime = 1733493900;
    record.duration = 187;
    record.lessonName = "Rudarudn1";
    record.thresholds = {90, 80, 66, 50, 20};
    record.grade = 2;
    record.entryCount = 12;
    record.wrongEntries = 3;
    for (int i = 0; i < 19; ++i)
        oldLog.append(record);
    ResultsLog newLog = oldLog;
    record.lessonName = "LATEIN";
    record.grade = 5;
    newLog.append(record);
    const SaveVersion save = [&](bool newVersion) {
        return (newVersion ? newLog : oldLog).save(target.string());
    };
    killDuringSaves(target, std::string(oldLog.bytes()), std::string(newLog.bytes()), save);
}

} // namespace
