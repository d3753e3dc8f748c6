#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// Replaces a file's whole content so that a crash, a full disk or a failed write never leaves
// a half-written file behind: the bytes go to a temporary file in the target's folder, are
// flushed to the disk, and only then take the target's name. On failure the old file (if any)
// is left exactly as it was and false is returned.
//
// A target that exists without any write permission bit is treated as read-only and refused,
// also for a privileged user. A symbolic link is treated as `links` says. An existing target
// keeps its permission bits. After a successful write, the temporary files that writers killed
// part way left beside the target are removed.
//
// After a failure errno tells why: EACCES for a read-only target, EISDIR or EINVAL for a name
// that is no regular file, else what the failing system call left.
enum class LinkTarget {
    // The link's destination is replaced and the link stays: a lesson the user keeps as a link.
    Follow,
    // The link itself is replaced by a file and its destination is never touched: the program's
    // own files in a folder that others may write to, where a link can be planted.
    Replace,
};
bool replaceFileContents(const std::string& path, std::string_view bytes,
                         LinkTarget links = LinkTarget::Follow);

// Writes a new file as replaceFileContents does, but only under a free name: whatever has the
// name already (a file, a link, also one that leads nowhere, a folder) stays as it was, and
// errno is EEXIST. Two writers never get the same name.
bool createFileContents(const std::string& path, std::string_view bytes);

// Why a write failed, for the user: one German sentence (UTF-8) for an errno value.
std::string writeFailureText(int error);

// Opens a file for reading in binary mode: a regular file, or a character device such as
// /dev/zero, which is read without waiting (a terminal then reads as an error). Null for a
// FIFO, a socket or a folder: the open itself never waits, where a plain fopen of a FIFO
// without a writer would block for ever. Close the result with fclose.
std::FILE* openFileForReading(const std::string& path);

// Reads at most maxBytes bytes of a file. Returns false when the file cannot be opened or read;
// what openFileForReading refuses counts as not opened.
bool readFilePrefix(const std::string& path, std::size_t maxBytes, std::string& out);
