#pragma once

#include <QListWidget>
#include <QRadioButton>
#include <QTime>
#include <functional>
#include <optional>

#include "data/DeviceInfo.h"
#include "diag/DiagAccess.h"
#include "widgets/LedDisc.h"
#include "widgets/ToolDialog.h"

class QTimer;

namespace kvt {

// "Status Info": the controller's live status while the dialog is visible, polled every two
// seconds: eight conditions as read-only radio pairs, three LEDs, and the changes seen since the
// dialog opened, newest first, so that an alarm that comes and goes is not missed.
class StatusInfoDialog : public CToolDialog {
    Q_OBJECT

  public:
    static constexpr int kTitle = 116;
    static constexpr int kGreenLed = 1743;
    static constexpr int kYellowLed = 1744;
    static constexpr int kRedLed = 1742;
    static constexpr int kChangeList = 1760;  // not in the controller's template
    static constexpr int kPollMs = 2000;
    static constexpr int kBlinkMs = 1000;
    static constexpr int kMaxChanges = 100;

    using Clock = std::function<QTime()>;

    StatusInfoDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes, StatusInfo& status,
                     DiagAccess access, Clock clock = {});

    void onNotification(int code, std::intptr_t value) override;

    QRadioButton* radio(int id) const { return control<QRadioButton>("radio", id); }
    LedDisc* led(int id) const { return control<LedDisc>("button", id); }
    QListWidget* changeList() const { return control<QListWidget>("list", kChangeList); }
    QTimer* pollTimer() const { return pollTimer_; }
    QTimer* blinkTimer() const { return blinkTimer_; }
    bool pollingStopped() const { return pollingStopped_; }
    bool blinkPhase() const { return blinkPhase_; }

  public slots:
    // The two timers' work; tests call them in place of the timers.
    void pollTick();
    void blinkTick();

  private:
    void showStatus();
    void recordChanges();

    StatusInfo& status_;
    DiagAccess access_;
    Clock clock_;
    QTimer* pollTimer_ = nullptr;
    QTimer* blinkTimer_ = nullptr;
    bool blinkPhase_ = false;
    bool pollingStopped_ = false;
    std::optional<StatusInfo> lastSeen_;
};

}  // namespace kvt
