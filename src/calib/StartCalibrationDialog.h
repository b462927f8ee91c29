#pragma once

#include <array>
#include <cstdint>

#include "widgets/ToolDialog.h"

class QRadioButton;

namespace kvt {

// Asks before the controller's calibration starts: the temperature compensation to use (the
// record's CAL_MODE) and a plain warning that the valve moves on its own while it runs.
class StartCalibrationDialog : public CToolDialog {
    Q_OBJECT

  public:
    StartCalibrationDialog(QWidget* owner, Strings& strings, std::int32_t mode);

    // The chosen CAL_MODE: 0 no compensation, 1 standard, 2 extended.
    std::int32_t mode() const;
    void setMode(std::int32_t mode);

    static QString modeRadioName(std::int32_t mode);

  private:
    std::array<QRadioButton*, 3> radios_{};
};

}  // namespace kvt
