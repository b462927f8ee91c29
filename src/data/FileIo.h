#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace kvt {

struct FileReadResult {
    bool opened = false;     // a regular file that could be opened for reading
    bool exists = false;     // something is at the path (even when it could not be read)
    bool truncated = false;  // the file holds more than the bytes read
    int error = 0;           // errno of the step that failed, 0 when none failed
    std::string bytes;
};

// Reads at most maxBytes from the start of a regular file. Anything else at the path (a folder,
// a pipe, a device) counts as not readable, so that opening it can neither hang nor read
// without end. A read error after opening keeps what was read and sets error.
FileReadResult readFilePrefix(const std::filesystem::path& path, std::size_t maxBytes);

struct FileWriteResult {
    bool ok = false;
    int error = 0;  // errno of the step that failed
};

// Replaces the file's content without ever leaving it half written: the bytes go to a
// temporary file in the same folder, which is flushed to disk and then renamed over the
// target. A failure at any step leaves the old file as it was. A write-protected target (no
// write permission, or no write bit at all, which even root respects here) is not replaced:
// EACCES. A symbolic link is followed, so the file it points to gets the content. A new file
// gets the permissions of an ordinary new file; an existing one keeps its permissions.
FileWriteResult replaceFileContents(const std::filesystem::path& path, std::string_view bytes);

}  // namespace kvt
