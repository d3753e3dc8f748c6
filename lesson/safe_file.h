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
// also for a privileged user. A symbolic link is followed: its destination is replaced and the
// link stays. An existing target keeps its permission bits. After a successful write, the
// temporary files that writers killed part way left beside the target are removed.
bool replaceFileContents(const std::string& path, std::string_view bytes);

// Opens a regular file for reading in binary mode; null for anything else. The open itself never
// waits: a FIFO, a device or a folder under the name is refused instead of blocking the caller
// (a FIFO with no writer would block a plain fopen for ever). Close the result with fclose.
std::FILE* openRegularFileForReading(const std::string& path);

// Reads at most maxBytes bytes of a file. Returns false when the file cannot be opened or read;
// what is not a regular file counts as not opened (see openRegularFileForReading).
bool readFilePrefix(const std::string& path, std::size_t maxBytes, std::string& out);
