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

template <std::size_t N>
bool terminated(const char (&field)[N]) {
    return ::strnlen(field, N) < N;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvt;
    const fuzz::LoadedProject loaded = fuzz::loadProjectFrom(data, size);
    fuzz::require(loaded.result.ok, "a readable file loads");

    const Records& r = loaded.records;
    fuzz::require(terminated(r.projectInfo.projectName) && terminated(r.projectInfo.fileName) &&
                      terminated(r.projectInfo.fullPath) && terminated(r.projectInfo.name) &&
                      terminated(r.projectInfo.address) && terminated(r.projectInfo.city) &&
                      terminated(r.projectInfo.phoneFax) && terminated(r.projectInfo.email),
                  "texts end within their fields");
    fuzz::require(std::string(r.projectInfo.fullPath) == loaded.path.string(), "actual path");
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
