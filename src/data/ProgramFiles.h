#pragma once

#include <filesystem>
#include <string>

namespace kvt {

// The files the program keeps in its working directory, and the extension of project files.
inline constexpr const char* kParaIniFileName = "KVT_para.ini";
inline constexpr const char* kComIniFileName = "KVT_com.ini";
inline constexpr const char* kLanguageLibraryFileName = "Lang_dll.DLL";
inline constexpr const char* kProjectExtension = "KVT";

// A file of the working directory. An empty working directory (the current one could not be
// read) leaves the name relative, so it resolves against the process's current directory.
inline std::filesystem::path programFilePath(const std::string& workingDirectory,
                                             const char* name) {
    if (workingDirectory.empty()) {
        return name;
    }
    return std::filesystem::path(workingDirectory) / name;
}

}  // namespace kvt
