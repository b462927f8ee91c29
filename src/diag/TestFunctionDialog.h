#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "data/SetpointRecords.h"
#include "diag/DiagAccess.h"
#include "widgets/SpinButton.h"
#include "widgets/ToolDialog.h"

class QTimer;

namespace kvt {

// "Test Function": writes the controller's built-in test movement (off, ramp, step, multistep)
// with its time (0.1 s steps up to 20 s), or reads the movement back.
class TestFunctionDialog : public CToolDialog {
    Q_OBJECT

  public:
    static constexpr int kTitle = 171;
    static constexpr int kOffRadio = 1640;  // then ramp, step, multistep: type 0..3
    static constexpr int kTimeEdit = 1646;
    static constexpr int kTimeSpin = 1651;
    static constexpr int kReadBackEdit = 1647;
    static constexpr int kWriteButton = 1649;
    static constexpr int kReadButton = 1650;
    static constexpr int kSpinMax = 200;  // spin position = 10 x time
    static constexpr int kEnablingTimerMs = 5000;

    TestFunctionDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                       TestFunctionState& request, DiagAccess access);

    void onNotification(int code, std::intptr_t value) override;

    QLineEdit* edit(int id) const { return control<QLineEdit>("edit", id); }
    SpinButton* spin() const { return control<SpinButton>("spin", kTimeSpin); }
    QRadioButton* radio(int type) const { return control<QRadioButton>("radio", kOffRadio + type); }
    QPushButton* button(int id) const { return control<QPushButton>("button", id); }

  public slots:
    void write();
    void read();
    void reject() override;
    void updateEnabling();

  private:
    void readTime();
    void readRequest();
    void step(int delta);
    void showRequest();

    TestFunctionState& request_;
    DiagAccess access_;
};

}  // namespace kvt
