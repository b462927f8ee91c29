#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "data/SetpointRecords.h"
#include "diag/DiagAccess.h"
#include "widgets/SpinButton.h"
#include "widgets/ToolDialog.h"

namespace kvt {

// "Serial Setpoint": drives the valve from the PC with a setpoint in percent (0.5 % steps) and
// switches that off again. While the setpoint is transmitted the dialog cannot be left by any
// way (button, Esc, the window's close box), so that the valve is never left driven by a setpoint
// the program believes off.
class SerialSetpointDialog : public CToolDialog {
    Q_OBJECT

  public:
    static constexpr int kTitle = 166;
    static constexpr int kSetpointEdit = 1161;
    static constexpr int kSetpointSpin = 1163;
    static constexpr int kOnRadio = 1166;
    static constexpr int kOffRadio = 1168;
    static constexpr int kSerialSource = 1856;
    static constexpr int kPwmSource = 1857;
    static constexpr int kTransmitButton = 1234;
    static constexpr int kOffButton = 1235;
    static constexpr int kCloseButton = kCancelId;
    static constexpr int kSpinMax = 200;  // spin position = 2 x setpoint

    SerialSetpointDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                         SerialSetpoint& setpoint, DiagAccess access);

    void onNotification(int code, std::intptr_t value) override;

    QLineEdit* edit() const { return control<QLineEdit>("edit", kSetpointEdit); }
    SpinButton* spin() const { return control<SpinButton>("spin", kSetpointSpin); }
    QRadioButton* radio(int id) const { return control<QRadioButton>("radio", id); }
    QPushButton* button(int id) const { return control<QPushButton>("button", id); }

  public slots:
    void transmit();
    void switchOff();
    void reject() override;

  private:
    void readSetpoint();
    void step(int delta);
    void showState();
    void updateEnabling();

    SerialSetpoint& setpoint_;
    DiagAccess access_;
    float atOpening_;
};

}  // namespace kvt
