#pragma once

#include <string>
#include <vector>

namespace kvt {

inline constexpr const char* kHelpFileName = "KVT.HLP";

// Where F1 looks for the help text, in order: the working folder (a copy there wins, so a site
// can keep its own), then the installed folders (the data folder fixed at build time, then
// ../share/kvt beside the program, so that a moved installation still finds it). Empty folders
// are left out.
std::vector<std::string> helpFileCandidates(const std::string& workingDirectory,
                                            const std::vector<std::string>& installedFolders);

// The first candidate that is a readable regular file; empty when there is none.
std::string findHelpFile(const std::vector<std::string>& candidates);

// The installed folders for a program in `programDirectory`: `dataFolder` (may be empty), then
// `programDirectory`/../share/kvt.
std::vector<std::string> installedHelpFolders(const std::string& dataFolder,
                                              const std::string& programDirectory);

// The text for the box when no candidate was found: every place looked at, one a line.
std::string helpFileMissingText(const std::vector<std::string>& candidates);

}  // namespace kvt
