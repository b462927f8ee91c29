#include "app/FrameTexts.h"

#include "data/Cp1252.h"
#include "data/DisplayLine.h"
#include "data/ProjectFile.h"

namespace kvt {
namespace {

constexpr int kProjectLabel = 10;
constexpr int kFileLabel = 4;
constexpr int kSetpointLabel = 129;
constexpr int kParameterSetLabel = 133;
constexpr int kNormal = 216;
constexpr int kCustom = 130;
constexpr int kFactory = 132;
constexpr int kNone = 8;

}  // namespace

std::string frameTitle(Strings& strings, const ProjectInfo& info, bool testMode, bool modified) {
    std::string title = strings.text(ids::kAppTitle);
    if (testMode) {
        title += " TESTMODE ";
    }
    title += " - ";
    title += " [ ";
    // Paths are the system's names (UTF-8 here); a Windows file's bytes still read as text.
    title += displayLine(asValidUtf8(fieldText(info.fullPath)));
    title += modified ? " *]" : " ]";
    return title;
}

StatusTexts statusTexts(Strings& strings, const Records& records) {
    StatusTexts t;
    t.project = strings.text(kProjectLabel) +
                displayLine(cp1252ToUtf8(fieldText(records.projectInfo.projectName)));
    t.file = strings.text(kFileLabel) +
             displayLine(asValidUtf8(fieldText(records.projectInfo.fileName)));
    const int setpoint = setpointAdjustmentState(records.params);
    t.setpoint = strings.text(kSetpointLabel) + strings.text(setpoint == 1   ? kNormal
                                                             : setpoint == 2 ? kCustom
                                                                             : kNone);
    const int set = parameterSetState(records.params);
    t.parameter = strings.text(kParameterSetLabel) + strings.text(set == 1   ? kFactory
                                                                  : set == 2 ? kCustom
                                                                             : kNone);
    return t;
}

}  // namespace kvt
