#pragma once

#include <filesystem>
#include <string>

namespace kvt {

// The working directory: the process's current directory at start-up, without a trailing
// slash (the root stays "/"); empty when it cannot be read, so that the program's files are
// then looked up relative to the current directory.
std::string currentWorkingDirectory();

// The build stamp shown by the About box: the modification time of the file as local time in
// "%Y%m%d %H%M%S", empty when the file's status cannot be read.
inline constexpr const char* kBuildStampFormat = "%Y%m%d %H%M%S";
std::string buildStampOf(const std::filesystem::path& file);
// The stamp of the running program (/proc/self/exe).
std::string programBuildStamp();

}  // namespace kvt
