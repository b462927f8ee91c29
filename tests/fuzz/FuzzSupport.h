#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "data/ProjectFile.h"
#include "data/Strings.h"

namespace kvt::fuzz {

// One folder per fuzzing process, on a memory file system when there is one: the readers take
// files, and each input is written to one first. Removed when the process exits normally.
inline std::filesystem::path& workFolderPath() {
    static std::filesystem::path folder;
    return folder;
}

inline const std::filesystem::path& workFolder() {
    std::filesystem::path& folder = workFolderPath();
    if (folder.empty()) {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        folder = base / ("kvt-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(workFolderPath(), ec);
        });
    }
    return folder;
}

inline void writeInput(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Ends the run as a finding when an invariant of the reader does not hold.
inline void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// A project file of any length from a fuzz input: its first two bytes give the length in units
// of four bytes (0 .. 262140, so short, exact and over-long project files all occur), and the
// remaining bytes, repeated, fill it.
inline std::string projectFileFrom(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return std::string(reinterpret_cast<const char*>(data), size);
    }
    const std::size_t length = (static_cast<std::size_t>(data[0]) << 8 | data[1]) * 4;
    std::string bytes(length, '\0');
    const std::size_t pattern = size - 2;
    if (pattern > 0) {
        for (std::size_t i = 0; i < length; ++i) {
            bytes[i] = static_cast<char>(data[2 + i % pattern]);
        }
    }
    return bytes;
}

class FixedStrings final : public Strings {
  public:
    std::string text(int id) override { return id == 31 ? "UNKNOWN" : "text"; }
    std::string builtin(int id) override { return text(id); }
    bool libraryLoaded() const override { return false; }
};

inline FixedStrings& fixedStrings() {
    static FixedStrings strings;
    return strings;
}

// A project file of any length made from the input (projectFileFrom), loaded with
// ReadProjectFile into the one set of records of the fuzzing process.
struct LoadedProject {
    ProjectFileResult result;
    Records& records;
    std::filesystem::path path;
};

inline LoadedProject loadProjectFrom(const std::uint8_t* data, std::size_t size) {
    static auto records = std::make_unique<Records>();
    static NullTrace trace;
    static DevicePaths devices;
    const auto path = workFolder() / "input.KVT";
    writeInput(path, projectFileFrom(data, size));
    ProjectContext context{*records, fixedStrings(), trace, workFolder().string(), devices};
    return {ReadProjectFile(path.string(), context), *records, path};
}

}  // namespace kvt::fuzz
