#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Where unsaved lessons wait for the next start when the session ended the program without a
// question: in the working folder, in the lesson format, one file for each trainer that ended
// so. Several trainers may share a folder and be ended together; none overwrites another's
// file. The names, in the order they are taken and offered: "DODADIZE.RCV", then
// "DODADIZE.RC2" to "DODADIZE.RC9".
inline constexpr std::size_t kRecoveryNames = 9;

// The name of the n-th recovery file (0: "DODADIZE.RCV"), in folder (empty: the working one).
std::string recoveryFileName(std::size_t n, const std::string& folder = {});

// The recovery files waiting in folder, in name order: regular files only. A link of such a
// name is no trainer's file and is neither offered nor removed.
std::vector<std::string> waitingRecoveryFiles(const std::string& folder = {});

// The recovery file of one trainer: written when its session ends, rewritten in place when the
// session ends again later (the desktop may ask more than once), removed once the lesson no
// longer needs it. A name it took is its own only while the file there is still the one it
// wrote: a file another trainer offered and removed meanwhile, or put back, is not touched.
class RecoveryFile {
public:
    explicit RecoveryFile(std::string folder = {}) : folder_(std::move(folder)) {}

    // Keeps bytes in this trainer's file, or in the first free name. False when no file could
    // be written; errno tells why (EEXIST: every name is taken).
    bool keep(std::string_view bytes);
    // Removes this trainer's file, if it wrote one and it is still there.
    void drop();
    // The file written last; empty when none.
    const std::string& name() const { return name_; }

    struct Identity {
        std::uint64_t device = 0, inode = 0, size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const Identity&) const = default;
    };

private:
    bool stillOwn() const;
    bool remember(const std::string& name);

    std::string folder_;
    std::string name_;
    Identity identity_;
};
