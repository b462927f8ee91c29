#include "engine/ActionFamilies.h"

namespace kvt {

std::unique_ptr<ActionFamily> makeCalibrationActions() {
    return std::make_unique<EmptyFamily>();
}

}  // namespace kvt
