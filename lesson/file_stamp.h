#pragma once

#include <cstdint>
#include <string>

// What a file was like when the program last read or wrote it, to tell before overwriting it
// whether someone else (another trainer, an editor) has changed it since.
struct FileStamp {
    bool known = false; // false: nothing was read or written yet
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // modification time, ns since 1970
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t contentHash = 0; // of the whole content; compared within one process only
    bool link = false;             // the name was a symbolic link
    std::string linkTarget;        // what that link named
};

// Stats and reads the file; an unknown stamp when it cannot be read.
FileStamp stampFile(const std::string& path);

// True when the file at path now holds something else than it did when `then` was taken.
// Same size, time and inode count as unchanged without reading; otherwise the content decides,
// so a file only touched or written again with the same bytes is unchanged. A name that became
// a symbolic link, stopped being one or leads elsewhere now is a change whatever the content:
// writing would go to another file than the one read. A file that is gone, or an unknown
// stamp, is no change: there is nothing of someone else's to overwrite.
bool changedSince(const FileStamp& then, const std::string& path);
