// KVT_para.ini of any content: read, write back, read again.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "data/ParaIni.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvt;
    const auto& folder = fuzz::workFolder();
    fuzz::writeInput(folder / "KVT_para.ini",
                     std::string(reinterpret_cast<const char*>(data), size));
    ParameterSets sets;
    ReadParaIni(folder, sets);
    for (std::uint8_t flag : sets.visible) {
        fuzz::require(flag <= 1, "flags are 0 or 1");
    }
    fuzz::require(sets.defaultSet.PARAMETER_SET == 0, "custom set");
    if (WriteParaIni(folder, sets)) {
        ParameterSets again;
        ReadParaIni(folder, again);
        // The written pairs are read back as written, except the ones whose reader looks
        // elsewhere (current limits, range sensor visibility).
        fuzz::require(again.visible[0] == sets.visible[0] && again.visible[23] == sets.visible[23],
                      "visibility survives");
    }
    return 0;
}
