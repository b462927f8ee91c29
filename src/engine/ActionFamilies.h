#pragma once

#include <memory>
#include <vector>

#include "engine/ActionEngine.h"

namespace kvt {

// The catalogue of device actions, one family per unit.
std::unique_ptr<ActionFamily> makeParameterActions();
std::unique_ptr<ActionFamily> makeDeviceInfoActions();
std::unique_ptr<ActionFamily> makeCalibrationActions();
std::unique_ptr<ActionFamily> makeAcquisitionActions();
std::unique_ptr<ActionFamily> makeSetpointActions();

std::vector<std::unique_ptr<ActionFamily>> makeActionFamilies();

// A family whose actions are not there yet owns no step (the engine reports the step as wrong).
class EmptyFamily final : public ActionFamily {
  public:
    bool ownsStep(std::uint32_t) const override { return false; }
    bool runStep(ActionEngine&, std::uint32_t) override { return false; }
};

}  // namespace kvt
