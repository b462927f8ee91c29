#pragma once

#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <array>
#include <functional>
#include <vector>

#include "data/ComSettings.h"
#include "data/PortSettings.h"
#include "data/SerialDevices.h"
#include "widgets/ToolDialog.h"

class QMenu;

namespace kvt {

// "Serial Port": chooses the port code ("Com 1".."Com 8") and shows the baud rate the engine
// found. Beside each choice stands the device path it opens; the user may type another or pick
// one from the serial devices present. The port choices are grey while a device action runs.
//
// On OK the dialog stores its port code and device paths; its modified flag tells the main frame
// that the port changed (the frame then forgets the baud rate and writes KVT_com.ini).
class SerialPortDialog : public CToolDialog {
    Q_OBJECT

  public:
    using DeviceLister = std::function<std::vector<SerialDevice>()>;

    // Radio ids of "Com 1".."Com 8", port codes 0..7 in this order.
    static constexpr std::array<int, PortSettings::kPortCount> kPortRadioIds = {
        1021, 1022, 1804, 1805, 1820, 1821, 1822, 1823};
    static constexpr int kPortGroup = 1587;
    static constexpr int kBaud19200 = 1023;
    static constexpr int kBaud57600 = 1024;
    static constexpr int kCaption = 2;  // "Serial Port"
    static constexpr int kPortGroupCaption = 38;
    // The enabling rule runs again this often while the dialog is open.
    static constexpr int kEnableTimerMs = 5000;

    SerialPortDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes, PortSettings& port,
                     DevicePaths& devices, CommandWordSource commandWord, DeviceLister lister);

    QRadioButton* portRadio(int code) const { return control<QRadioButton>(kPortRadioIds[code]); }
    // The device path edit and the list button of a port code.
    QLineEdit* pathEdit(int code) const { return paths_[static_cast<std::size_t>(code)]; }
    QToolButton* listButton(int code) const { return lists_[static_cast<std::size_t>(code)]; }
    QTimer* enableTimer() const { return timer_; }
    int portCode() const { return portCode_; }

    // Fills the list of a port code's button with the devices present (the list does so each
    // time it opens).
    void refreshDeviceList(int code);

  public slots:
    void accept() override;
    void reject() override;
    // Port choices usable only while no device action runs.
    void applyEnabling();

  private:
    void readRadios();
    DevicePaths readPaths() const;
    bool changed() const;

    PortSettings& port_;
    DevicePaths& devices_;
    DeviceLister lister_;
    int portCode_ = 0;
    std::array<QLineEdit*, PortSettings::kPortCount> paths_{};
    std::array<QToolButton*, PortSettings::kPortCount> lists_{};
    std::array<QMenu*, PortSettings::kPortCount> menus_{};
    QTimer* timer_ = nullptr;
};

}  // namespace kvt
