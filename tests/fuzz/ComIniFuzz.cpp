// KVT_com.ini of any content: read, write back, read again.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "data/ComSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kvt;
    const auto& folder = fuzz::workFolder();
    fuzz::writeInput(folder / "KVT_com.ini",
                     std::string(reinterpret_cast<const char*>(data), size));
    PortSettings port;
    DevicePaths devices;
    ReadComSettings(folder, port, devices);
    fuzz::require(port.portCode >= 0 && port.portCode < PortSettings::kPortCount, "port code");
    if (WriteComSettings(folder, port, devices)) {
        PortSettings again;
        DevicePaths paths;
        ReadComSettings(folder, again, paths);
        fuzz::require(again.portCode == port.portCode, "the port survives a rewrite");
    }
    return 0;
}
