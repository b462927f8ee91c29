// ReadProjectFile on files of any length and content. The input describes the file: its first
// two bytes give the length in units of four bytes (0 .. 262140, so short, exact and
// over-long project files all occur), and the remaining bytes, repeated, fill it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "FuzzSupport.h"
#include "data/ProjectFile.h"
#include "data/ScopeModel.h"

namespace {

std::string fileFrom(const std::uint8_t* data, std::size_t size) {
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

template <std::size_t N>
bool terminated(const char (&field)[N]) {
    return ::strnlen(field, N) < N;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvt;
    static auto records = std::make_unique<Records>();
    static fuzz::FixedStrings strings;
    static NullTrace trace;
    static DevicePaths devices;
    const auto path = fuzz::workFolder() / "input.KVT";
    fuzz::writeInput(path, fileFrom(data, size));

    ProjectContext context{*records, strings, trace, fuzz::workFolder().string(), devices};
    const ProjectFileResult result = ReadProjectFile(path.string(), context);
    fuzz::require(result.ok, "a readable file loads");

    const Records& r = *records;
    fuzz::require(terminated(r.projectInfo.projectName) && terminated(r.projectInfo.fileName) &&
                      terminated(r.projectInfo.fullPath) && terminated(r.projectInfo.name) &&
                      terminated(r.projectInfo.address) && terminated(r.projectInfo.city) &&
                      terminated(r.projectInfo.phoneFax) && terminated(r.projectInfo.email),
                  "texts end within their fields");
    fuzz::require(std::string(r.projectInfo.fullPath) == path.string(), "actual path");
    fuzz::require(r.scope.acqTime >= 4 && r.scope.acqTime <= 20, "acqTime 4..20");
    fuzz::require(sampleCapacity(r.scope) <= kMaxSamples, "recordings fit the arrays");
    fuzz::require(r.scope.sampleRateIndex >= 0 && r.scope.sampleRateIndex <= 5, "rate index");
    fuzz::require(r.scope.triggerChannel >= 0 && r.scope.triggerChannel <= 8, "trigger channel");
    for (int c = 0; c < kAnalogChannels; ++c) {
        fuzz::require(analogSignalNameId(c, r.scope.analogSel(c), false) != 0, "analog name");
        fuzz::require(analogSignalNameId(c, r.scope.analogSelRead(c), true) != 0, "read name");
    }
    for (int k = 0; k < kBinaryChannels; ++k) {
        fuzz::require(binarySignalNameId(r.scope.binarySel[k]) != 0, "binary name");
    }
    fuzz::require(r.calibration.CAL_ARRAY_SELECT >= 0 && r.calibration.CAL_ARRAY_SELECT < 8 &&
                      r.calibration.CAL_ROW_SELECT >= 0 && r.calibration.CAL_ROW_SELECT < 10,
                  "calibration selection");
    fuzz::require(encodeProject(r).size() == kProjectFileSize, "encodes whole");
    return 0;
}
