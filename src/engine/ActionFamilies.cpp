#include "engine/ActionFamilies.h"

namespace kvt {

std::vector<std::unique_ptr<ActionFamily>> makeActionFamilies() {
    std::vector<std::unique_ptr<ActionFamily>> families;
    families.push_back(makeParameterActions());
    families.push_back(makeDeviceInfoActions());
    families.push_back(makeCalibrationActions());
    families.push_back(makeAcquisitionActions());
    families.push_back(makeSetpointActions());
    return families;
}

}  // namespace kvt
