#include "data/CommandLine.h"

namespace kvt {

StartupSwitches parseSwitches(std::string_view commandLine) {
    std::string upper(commandLine.substr(0, kSwitchScanLength));
    // ASCII only: the locale must not change which bytes match.
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    StartupSwitches switches;
    switches.log = upper.find(kLogSwitch) != std::string::npos;
    switches.calibration = upper.find(kCalibrationSwitch) != std::string::npos;
    if (upper.find(kTestSwitch) != std::string::npos) {
        switches.testMode |= kTestModeSimulate;
    }
    return switches;
}

std::string commandLineText(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (argv[i] == nullptr) {
            continue;
        }
        if (!text.empty()) {
            text.push_back(' ');
        }
        text += argv[i];
    }
    return text;
}

}  // namespace kvt
