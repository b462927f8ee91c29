#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include "data/DeviceInfo.h"
#include "diag/DiagAccess.h"
#include "widgets/ToolDialog.h"

class QTimer;

namespace kvt {

// "Modul Info": what the controller reported about itself on the last Read Device Info, with a
// button that reads it again and one that copies it as plain text for a service report.
class DeviceInfoDialog : public CToolDialog {
    Q_OBJECT

  public:
    static constexpr int kTitle = 107;
    static constexpr int kReadButton = 1157;
    static constexpr int kCopyButton = 1158;  // not in the controller's template
    static constexpr int kFirmwareEdit = 1274;
    static constexpr int kPartNumberEdit = 1597;
    static constexpr int kDaysEdit = 1614;
    static constexpr int kHoursEdit = 1617;
    static constexpr int kMinutesEdit = 1620;
    static constexpr int kButtonTimerMs = 5000;

    DeviceInfoDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes, const DeviceInfo& info,
                     DiagAccess access);

    void onNotification(int code, std::intptr_t value) override;

    QLineEdit* edit(int id) const { return control<QLineEdit>("edit", id); }
    QPushButton* readButton() const { return control<QPushButton>("button", kReadButton); }
    // The device information as "caption: value" lines, in the order of the dialog.
    QString plainText() const;

  public slots:
    void readDeviceInfo();
    void copyToClipboard();

  private:
    void fillFields();
    void updateButtonState();

    const DeviceInfo& info_;
    DiagAccess access_;
    QTimer* buttonTimer_ = nullptr;
};

}  // namespace kvt
