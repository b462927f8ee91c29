#include "cli/ProjectStore.h"

#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "data/FileIo.h"
#include "data/ProgramFiles.h"

namespace kvt::cli {
namespace {

constexpr const char* kNotRegular = "not a regular file";

std::string reason(int error) {
    return error != 0 ? std::strerror(error) : kNotRegular;
}

// Why a file that is there cannot be read: a folder or a pipe is named as such, whatever error
// the attempt to open it gave.
std::string unreadableReason(const std::string& path, int error) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!ec && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        return kNotRegular;
    }
    return reason(error);
}

// Reads a few bytes to learn whether the file is there and readable.
FileReadResult probe(const std::string& path) {
    return readFilePrefix(path, 1);
}

bool endsWithProjectExtension(const std::string& path) {
    const std::string extension = std::string(".") + kProjectExtension;
    if (path.size() <= extension.size()) {
        return false;
    }
    const std::string tail = path.substr(path.size() - extension.size());
    return strcasecmp(tail.c_str(), extension.c_str()) == 0;
}

// The project file's messages are laid out for the window's boxes; kvtcli reports on one line.
std::string oneLine(const std::string& message) {
    std::string line;
    for (const char c : message) {
        if (c != '\n') {
            line += c;
        } else if (!line.empty() && line.back() != ' ') {
            line += ' ';
        }
    }
    while (!line.empty() && line.back() == ' ') {
        line.pop_back();
    }
    return line;
}

std::string incompleteReason(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    return path + ": not a complete project file: " +
           (ec ? std::string("size unknown") : std::to_string(size) + " bytes") +
           " (a project has " + std::to_string(kProjectFileSize) + "); nothing was sent";
}

// Checks that the file can be read, then loads it (the records are reset first).
FileOutcome load(Program& program, const std::string& path, bool mustBeComplete) {
    const FileReadResult file = probe(path);
    if (!file.opened) {
        return {false,
                "cannot read " + path + ": " +
                    (file.exists ? unreadableReason(path, file.error) : std::strerror(ENOENT))};
    }
    ProjectContext context = program.projectContext();
    const ProjectFileResult loaded = ReadProjectFile(projectPath(path), context);
    if (!loaded.ok) {
        return {false, oneLine(loaded.message)};
    }
    if (mustBeComplete && !loaded.complete) {
        return {false, incompleteReason(path)};
    }
    return {true, {}};
}

}  // namespace

std::string projectPath(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

FileOutcome openProject(Program& program, const std::string& path) {
    return load(program, path, false);
}

FileOutcome openProjectToSend(Program& program, const std::string& path) {
    return load(program, path, true);
}

FileOutcome openOrCreateProject(Program& program, const std::string& path) {
    const FileReadResult file = probe(path);
    if (file.exists) {
        return openProject(program, path);
    }
    Records& r = program.records();
    ResetProjectData(r);
    SetDefaultNames(r, program.strings());
    r.params.currentSet = r.params.defaultSet;
    ReadComSettings(program.workingDirectory(), r.port, program.devicePaths());
    std::string message;
    if (!setProjectPath(r.projectInfo, projectPath(path), &message)) {
        return {false, oneLine(message)};
    }
    return {true, {}};
}

FileOutcome saveProject(Program& program, const std::string& path) {
    ProjectContext context = program.projectContext();
    const ProjectFileResult saved = WriteProjectFile(projectPath(path), context);
    if (!saved.ok) {
        return {false, oneLine(saved.message)};
    }
    return {true, {}};
}

FileOutcome checkProjectTarget(const std::string& path) {
    if (!endsWithProjectExtension(path)) {
        return {false, path + ": a project file name ends in ." + std::string(kProjectExtension)};
    }
    const FileReadResult file = probe(path);
    if (file.exists && !file.opened) {
        return {false, "cannot read " + path + ": " + unreadableReason(path, file.error)};
    }
    return checkFolderWritable(path);
}

FileOutcome checkFolderWritable(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return {false, "cannot write " + path + ": " + std::strerror(errno)};
    }
    return {true, {}};
}

FileOutcome saveFile(const std::string& path, const std::string& bytes) {
    const FileWriteResult written = replaceFileContents(path, bytes);
    if (!written.ok) {
        return {false, "cannot write " + path + ": " + reason(written.error)};
    }
    return {true, {}};
}

}  // namespace kvt::cli
