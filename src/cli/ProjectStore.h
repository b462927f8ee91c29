#pragma once

#include <string>

#include "cli/Program.h"

namespace kvt::cli {

// Project files as the window's Open and Save treat them, with the answers a script needs:
// every failure comes back with its reason, and nothing is overwritten that could not be read.
struct FileOutcome {
    bool ok = false;
    std::string message;  // why not, for the user
};

// The path as the project stores it: absolute, as the file dialogs give it.
std::string projectPath(const std::string& path);

// Opens a project that must be there: checks that it can be read, then loads it (the records
// are reset first, as the window's Open does).
FileOutcome openProject(Program& program, const std::string& path);

// Opens a project whose values are to be sent to the controller: as openProject, and it must be
// a complete project file. A shorter or longer file would send zeros or garbage.
FileOutcome openProjectToSend(Program& program, const std::string& path);

// A project to store results in: the file when it is there (it must be readable, or it is left
// alone), otherwise a new project made of the defaults, with the port choice of KVT_com.ini
// kept so that saving the new project does not change it.
FileOutcome openOrCreateProject(Program& program, const std::string& path);

// Saves the project under the path: all of it or nothing (the old file stays on failure).
FileOutcome saveProject(Program& program, const std::string& path);

// A file that -o may write: a project file name (".KVT", in any case), as Save as makes them,
// in a folder that can be written, and readable when it is there already. Checked before the
// controller is asked, so that no result is read that cannot be kept.
FileOutcome checkProjectTarget(const std::string& path);

// Whether a new file can be made in the folder of the path.
FileOutcome checkFolderWritable(const std::string& path);

// Writes bytes to a file (temporary file, flushed, renamed over the target).
FileOutcome saveFile(const std::string& path, const std::string& bytes);

}  // namespace kvt::cli
