#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "data/ComSettings.h"
#include "data/Records.h"
#include "data/Strings.h"
#include "data/TraceSink.h"

namespace kvt {

// A project file: seven fixed-size blocks written verbatim one after the other, little-endian,
// with no header, version or checksum.
struct ProjectBlock {
    const char* name;
    std::size_t offset;
    std::size_t size;
};

inline constexpr std::array<ProjectBlock, 7> kProjectBlocks = {{
    {"project information", 0, sizeof(ProjectInfo)},
    {"serial setpoint", 872, sizeof(SerialSetpoint)},
    {"current parameter set", 1280, sizeof(ParameterRecord)},
    {"scope settings", 1900, sizeof(ScopeSettings)},
    {"calibration record", 2412, sizeof(CalibrationRecord)},
    {"device information", 9944, sizeof(DeviceInfo)},
    {"acquisition buffers", 10424, sizeof(AcquisitionBuffers)},
}};
inline constexpr std::size_t kProjectFileSize = 173624;

constexpr bool projectBlocksAreContiguous() {
    std::size_t offset = 0;
    for (const ProjectBlock& block : kProjectBlocks) {
        if (block.offset != offset) {
            return false;
        }
        offset += block.size;
    }
    return offset == kProjectFileSize;
}
static_assert(projectBlocksAreContiguous());

// The fixed fields that hold a project's path and file name, in characters without the zero.
inline constexpr std::size_t kMaxProjectPathChars = sizeof(ProjectInfo::fullPath) - 1;      // 260
inline constexpr std::size_t kMaxProjectFileNameChars = sizeof(ProjectInfo::fileName) - 1;  // 29
// Stored in word 1783 of the calibration record whenever a project is written.
inline constexpr float kProgramVersion = 0.05f;

// The text of a fixed field, safe when the field lacks its terminating zero.
template <std::size_t N>
std::string fieldText(const char (&field)[N]) {
    return std::string(field, ::strnlen(field, N));
}
// Fills a fixed field with the text, cut to N - 1 characters, and zeros.
template <std::size_t N>
void setFieldText(char (&field)[N], std::string_view text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), text.size() < N ? text.size() : N - 1);
}

// What the project file functions need besides the path.
struct ProjectContext {
    Records& records;
    Strings& strings;
    TraceSink& trace;
    std::string workingDirectory;  // where KVT_com.ini is read and written
    DevicePaths& devicePaths;      // filled and stored with the port code
};

struct ProjectFileResult {
    bool ok = false;
    // The main window's modified flag must become 0 (otherwise it keeps its value).
    bool clearsModified = false;
    // For the user when ok is false.
    std::string message;
    // The file was a whole project: exactly kProjectFileSize bytes, all of them read. A shorter
    // or longer file still loads, but its set is no project's and must not be written to a
    // controller.
    bool complete = false;
};

// Empties the project data: device and current parameter set, device information, status,
// project information, samples, calibration record and serial setpoint are zeroed, the port and
// baud codes set to 0, and the scope settings get their new-project defaults.
void ResetProjectData(Records& records);

// The names of a fresh project: port and baud code 0; project name, file name and full path from
// string 31 ("UNKNOWN"): "UNKNOWN", "UNKNOWN.KVT", "UNKNOWN.KVT".
void SetDefaultNames(Records& records, Strings& strings);

// Loads a project. Traces " ReadProjectFile:<path>", resets the project data, sets the path
// fields, then fills the blocks as far as the file reaches (a short file leaves the rest reset,
// bytes after the last block are ignored), replaces the stored full path by the actual one, and
// reads KVT_com.ini. Every value that later code uses as an index or a count is brought into
// range and every text of block 1 ends within its field. A path too long for the full path field
// is refused before anything changes. The result tells whether the whole file could be read and
// whether it was a complete project.
ProjectFileResult ReadProjectFile(const std::string& path, ProjectContext& context);

// Saves the project. The file is replaced only when all of it could be written (FileIo.h); on
// failure the old file and the project's path fields stay as they were, the modified flag stays
// set, and the message says why. A path too long for its field is refused. Stores the program
// version in the calibration record and writes KVT_com.ini after the blocks.
ProjectFileResult WriteProjectFile(const std::string& path, ProjectContext& context);

// The 173624 bytes of the project.
std::string encodeProject(const Records& records);
// Copies each block from the bytes as far as they reach; the rest of a block stays as it is.
void decodeProject(std::string_view bytes, Records& records);
// Brings the loaded values that serve as indices or counts into range (see ReadProjectFile).
void bringProjectIntoRange(Records& records);

// The file name of a path: the text after the last "/" (or "\", so that a stored path of
// another system still yields its name); empty when there is neither.
std::string_view fileNameOfPath(std::string_view path);
// Sets the full path and, when the path has a folder part, the file name (cut to 29). Refuses a
// path longer than 260 characters with a message, leaving both fields as they were.
bool setProjectPath(ProjectInfo& info, std::string_view path, std::string* message);
// A file name with the project extension forced: the part before its first "." (at most 25
// characters when the result would not fit 29) followed by ".KVT".
std::string forceProjectExtension(std::string_view name);

}  // namespace kvt
