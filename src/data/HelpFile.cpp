#include "data/HelpFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "data/ProgramFiles.h"

namespace kvt {

std::vector<std::string> helpFileCandidates(const std::string& workingDirectory,
                                            const std::vector<std::string>& installedFolders) {
    std::vector<std::string> candidates{programFilePath(workingDirectory, kHelpFileName).string()};
    for (const std::string& folder : installedFolders) {
        if (folder.empty()) {
            continue;
        }
        const std::string path = (std::filesystem::path(folder) / kHelpFileName).string();
        // The build's data folder and the one beside the program are often the same.
        if (std::find(candidates.begin(), candidates.end(), path) == candidates.end()) {
            candidates.push_back(path);
        }
    }
    return candidates;
}

std::string findHelpFile(const std::vector<std::string>& candidates) {
    for (const std::string& path : candidates) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            continue;
        }
        if (std::ifstream(path, std::ios::binary).good()) {
            return path;
        }
    }
    return {};
}

std::vector<std::string> installedHelpFolders(const std::string& dataFolder,
                                              const std::string& programDirectory) {
    std::vector<std::string> folders;
    if (!dataFolder.empty()) {
        folders.push_back(dataFolder);
    }
    if (!programDirectory.empty()) {
        const std::filesystem::path beside =
            std::filesystem::path(programDirectory) / ".." / "share" / "kvt";
        folders.push_back(beside.lexically_normal().string());
    }
    return folders;
}

std::string helpFileMissingText(const std::vector<std::string>& candidates) {
    std::string text = std::string("The help text ") + kHelpFileName + " was not found. Looked at:";
    for (const std::string& path : candidates) {
        text += "\n" + path;
    }
    return text;
}

}  // namespace kvt
