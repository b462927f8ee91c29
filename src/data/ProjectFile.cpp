#include "data/ProjectFile.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "data/FileIo.h"
#include "data/Format.h"
#include "data/ProgramFiles.h"
#include "data/ScopeModel.h"

namespace kvt {
namespace {

constexpr int kCouldNotOpenFileText = 25;  // "Could not open File\n"

constexpr const char* kPathTooLong =
    "The path has %zu characters; a project file can keep at most %zu:\n%s";
constexpr const char* kNotSaved =
    "The project could not be saved to\n%s\n(%s)\nNo file was changed.";
constexpr const char* kNotReadCompletely =
    "The project file could not be read completely:\n%s\n(%s)";

// Where each block lives in memory, in file order.
template <class R>
auto blockAddresses(R& records) {
    using Byte = std::conditional_t<std::is_const_v<R>, const unsigned char, unsigned char>;
    return std::array<Byte*, kProjectBlocks.size()>{
        reinterpret_cast<Byte*>(&records.projectInfo),
        reinterpret_cast<Byte*>(&records.serialSetpoint),
        reinterpret_cast<Byte*>(&records.params.currentSet),
        reinterpret_cast<Byte*>(&records.scope),
        reinterpret_cast<Byte*>(&records.calibration),
        reinterpret_cast<Byte*>(&records.deviceInfo),
        reinterpret_cast<Byte*>(&records.samples),
    };
}

std::string errorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

template <class T>
void zero(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memset(&value, 0, sizeof value);
}

// A float in lo..hi; not a number gives lo.
float clampFloat(float value, float lo, float hi) {
    return std::isnan(value) ? lo : std::clamp(value, lo, hi);
}

template <std::size_t N>
void terminate(char (&field)[N]) {
    field[N - 1] = '\0';
}

// The file name T + ".KVT", with T cut so that the name fits its field.
std::string defaultFileName(const std::string& base) {
    const std::string extension = std::string(".") + kProjectExtension;
    const std::size_t room = kMaxProjectFileNameChars - extension.size();
    return base.substr(0, room) + extension;
}

}  // namespace

void ResetProjectData(Records& records) {
    zero(records.params.deviceSet);
    zero(records.params.currentSet);
    zero(records.deviceInfo);
    zero(records.status);
    zero(records.projectInfo);
    clearSamples(records.samples);
    zero(records.calibration);
    zero(records.serialSetpoint);
    records.port.reset();
    resetScopeSettings(records.scope);
}

void SetDefaultNames(Records& records, Strings& strings) {
    records.port.reset();
    const std::string name = strings.text(ids::kUnknown);
    const std::string fileName = defaultFileName(name);
    setFieldText(records.projectInfo.fileName, fileName);
    setFieldText(records.projectInfo.fullPath, fileName);
    setFieldText(records.projectInfo.projectName, name);
}

std::string_view fileNameOfPath(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
}

bool setProjectPath(ProjectInfo& info, std::string_view path, std::string* message) {
    if (path.size() > kMaxProjectPathChars) {
        if (message != nullptr) {
            *message =
                format(kPathTooLong, path.size(), kMaxProjectPathChars, std::string(path).c_str());
        }
        return false;
    }
    setFieldText(info.fullPath, path);
    if (path.find_last_of("/\\") != std::string_view::npos) {
        setFieldText(info.fileName, fileNameOfPath(path));
    }
    return true;
}

std::string forceProjectExtension(std::string_view name) {
    constexpr std::size_t kCutPosition = 25;
    const std::string extension = std::string(".") + kProjectExtension;
    std::string field(name.substr(0, kMaxProjectFileNameChars));
    std::size_t dot = field.find('.');
    if (dot == std::string::npos) {
        dot = field.size();
    }
    if (dot + extension.size() > kMaxProjectFileNameChars) {
        dot = kCutPosition;
    }
    field.resize(dot);
    return field + extension;
}

std::string encodeProject(const Records& records) {
    std::string bytes(kProjectFileSize, '\0');
    const auto addresses = blockAddresses(records);
    for (std::size_t i = 0; i < kProjectBlocks.size(); ++i) {
        std::memcpy(bytes.data() + kProjectBlocks[i].offset, addresses[i], kProjectBlocks[i].size);
    }
    return bytes;
}

void decodeProject(std::string_view bytes, Records& records) {
    const auto addresses = blockAddresses(records);
    for (std::size_t i = 0; i < kProjectBlocks.size(); ++i) {
        const ProjectBlock& block = kProjectBlocks[i];
        if (bytes.size() <= block.offset) {
            break;
        }
        std::memcpy(addresses[i], bytes.data() + block.offset,
                    std::min(block.size, bytes.size() - block.offset));
    }
}

void bringProjectIntoRange(Records& records) {
    ProjectInfo& info = records.projectInfo;
    terminate(info.projectName);
    terminate(info.fileName);
    terminate(info.fullPath);
    terminate(info.name);
    terminate(info.address);
    terminate(info.city);
    terminate(info.phoneFax);
    terminate(info.email);

    // The scope settings to the ranges the dialogs allow: acqTime sizes recordings and the
    // channel selections index the name tables.
    ScopeSettings& scope = records.scope;
    scope.acqTime = std::clamp(scope.acqTime, 4, 20);
    scope.setpointBegin = clampFloat(scope.setpointBegin, 0.0f, 100.0f);
    scope.setpointEnd = clampFloat(scope.setpointEnd, 0.0f, 100.0f);
    scope.rampTime = clampFloat(scope.rampTime, 0.0f, 20.0f);
    scope.triggerChannel = std::clamp(scope.triggerChannel, 0, 8);
    scope.triggerSlope = scope.triggerSlope != 0 ? 1 : 0;
    scope.triggerValue = std::clamp(scope.triggerValue, -100, 100);
    scope.sampleRateIndex =
        std::clamp(scope.sampleRateIndex, 0, static_cast<int>(kSamplePeriods.size()) - 1);
    for (int c = 0; c < kAnalogChannels; ++c) {
        const int last = kAnalogChoiceCounts[static_cast<std::size_t>(c)] - 1;
        scope.analogSel(c) = std::clamp(scope.analogSel(c), 0, last);
        scope.analogSelRead(c) = std::clamp(scope.analogSelRead(c), 0, last);
    }
    scope.binarySel[0] = 0;
    scope.binarySel[1] = std::clamp(scope.binarySel[1], 0, 7);
    scope.binarySel[2] = std::clamp(scope.binarySel[2], 0, 7);
    scope.binarySel[3] = 4;
    scope.masterSlave = scope.masterSlave != 0 ? 1 : 0;

    records.calibration.CAL_ARRAY_SELECT =
        std::clamp(records.calibration.CAL_ARRAY_SELECT, 0, kCalArrays - 1);
    records.calibration.CAL_ROW_SELECT =
        std::clamp(records.calibration.CAL_ROW_SELECT, 0, kCalRows - 1);

    // Samples become screen coordinates; keep them where the arithmetic stays defined.
    constexpr float kMaxPercent = 1000.0f;
    for (auto& channel : records.samples.analog) {
        for (float& v : channel) {
            v = std::isfinite(v) ? std::clamp(v, -kMaxPercent, kMaxPercent) : 0.0f;
        }
    }
    for (auto& channel : records.samples.binary) {
        for (std::int32_t& v : channel) {
            v = v != 0 ? 1 : 0;
        }
    }
    records.serialSetpoint.serialSetpoint =
        clampFloat(records.serialSetpoint.serialSetpoint, 0.0f, 100.0f);
}

ProjectFileResult ReadProjectFile(const std::string& path, ProjectContext& context) {
    Records& records = context.records;
    context.trace.info(format(" ReadProjectFile:%s", path.c_str()));

    ProjectFileResult result;
    ProjectInfo probe{};
    if (!setProjectPath(probe, path, &result.message)) {
        return result;
    }

    result.clearsModified = true;
    ResetProjectData(records);
    setProjectPath(records.projectInfo, path, nullptr);

    const FileReadResult file = readFilePrefix(path, kProjectFileSize);
    if (!file.opened) {
        result.message = context.strings.text(kCouldNotOpenFileText) + path;
        return result;
    }
    decodeProject(file.bytes, records);
    // The stored path may come from another place or machine; the actual one counts.
    setFieldText(records.projectInfo.fullPath, path);
    records.scope.binarySel[0] = 0;
    records.scope.binarySel[3] = 4;
    bringProjectIntoRange(records);
    ReadComSettings(context.workingDirectory, records.port, context.devicePaths);

    if (file.error != 0) {
        result.message = format(kNotReadCompletely, path.c_str(), errorText(file.error).c_str());
        return result;
    }
    result.ok = true;
    result.complete = !file.truncated && file.bytes.size() == kProjectFileSize;
    return result;
}

ProjectFileResult WriteProjectFile(const std::string& path, ProjectContext& context) {
    Records& records = context.records;
    ProjectFileResult result;
    const ProjectInfo before = records.projectInfo;
    if (!setProjectPath(records.projectInfo, path, &result.message)) {
        return result;
    }
    records.calibration.programVersion = kProgramVersion;

    const FileWriteResult written = replaceFileContents(path, encodeProject(records));
    if (!written.ok) {
        records.projectInfo = before;
        result.message = format(kNotSaved, path.c_str(), errorText(written.error).c_str());
        return result;
    }
    WriteComSettings(context.workingDirectory, records.port, context.devicePaths);
    result.ok = true;
    result.clearsModified = true;
    return result;
}

}  // namespace kvt
