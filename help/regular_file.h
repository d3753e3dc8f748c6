#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

// Reading a file that someone else may have put there. The file is opened without blocking and
// checked as opened, so a FIFO waits for no writer, /dev/zero is not read without end, and a
// file swapped in after a check cannot slip past it.
enum class RegularRead {
    Ok,
    NotRegular, // a folder, FIFO, device or socket
    TooLarge,   // more than the limit
    Failed,     // missing, not permitted, or a read error
};

// Reads the whole file into bytes when it is a regular file of at most maxBytes. realPath, when
// given, receives where the opened file really lies (links resolved).
RegularRead readRegularFile(const std::filesystem::path& path, std::size_t maxBytes,
                            std::string& bytes, std::filesystem::path* realPath = nullptr);
