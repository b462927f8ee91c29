#include "app/SerialPortDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QMenu>
#include <QVBoxLayout>

#include "data/Cp1252.h"

namespace kvt {

SerialPortDialog::SerialPortDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                   PortSettings& port, DevicePaths& devices,
                                   CommandWordSource commandWord, DeviceLister lister)
    : CToolDialog(owner, strings, boxes, std::move(commandWord)),
      port_(port),
      devices_(devices),
      lister_(std::move(lister)) {
    setObjectName(QStringLiteral("serialPortDialog"));
    setWindowTitle(caption(kCaption, "Serial Port"));

    auto* layout = new QVBoxLayout(this);
    auto* portGroup =
        named(new QGroupBox(caption(kPortGroupCaption, "Com Port"), this), kPortGroup);
    auto* grid = new QGridLayout(portGroup);
    grid->setColumnStretch(1, 1);
    for (int k = 0; k < PortSettings::kPortCount; ++k) {
        const auto index = static_cast<std::size_t>(k);
        auto* radio = named(new QRadioButton(QStringLiteral("Com %1").arg(k + 1), portGroup),
                            kPortRadioIds[index]);
        auto* path = new QLineEdit(QString::fromStdString(devices_[index]), portGroup);
        path->setObjectName(QStringLiteral("devicePath%1").arg(k));
        path->setCursorPosition(0);  // a long path shows its beginning
        // An empty path opens the default device; the edit shows which one.
        path->setPlaceholderText(QString::fromStdString(defaultDevicePath(k)));
        // Wide enough for a by-id path of a common adapter.
        path->setMinimumWidth(path->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 48);
        auto* list = new QToolButton(portGroup);
        list->setObjectName(QStringLiteral("deviceList%1").arg(k));
        list->setArrowType(Qt::DownArrow);
        list->setPopupMode(QToolButton::InstantPopup);
        auto* menu = new QMenu(list);
        list->setMenu(menu);
        connect(menu, &QMenu::aboutToShow, this, [this, k] { refreshDeviceList(k); });
        grid->addWidget(radio, k, 0);
        grid->addWidget(path, k, 1);
        grid->addWidget(list, k, 2);
        paths_[index] = path;
        lists_[index] = list;
        menus_[index] = menu;
    }
    layout->addWidget(portGroup);

    auto* baudGroup = new QGroupBox(QStringLiteral("Baudrate"), this);
    baudGroup->setObjectName(QStringLiteral("baudGroup"));
    auto* baudRow = new QHBoxLayout(baudGroup);
    auto* baud19200 = named(new QRadioButton(QStringLiteral("19200"), baudGroup), kBaud19200);
    auto* baud57600 = named(new QRadioButton(QStringLiteral("57600"), baudGroup), kBaud57600);
    for (QRadioButton* radio : {baud19200, baud57600}) {
        // Shown only: the rate is found by the engine, never chosen.
        radio->setEnabled(false);
        baudRow->addWidget(radio);
    }
    baudRow->addStretch(1);
    layout->addWidget(baudGroup);

    layout->addWidget(
        okCancelButtons(caption(kOkCaption, "OK"), caption(kCancelCaption, "Cancel")));

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("enableTimer"));
    timer_->setInterval(kEnableTimerMs);
    connect(timer_, &QTimer::timeout, this, &SerialPortDialog::applyEnabling);
    timer_->start();

    const int baudCode = port_.baudCode.load();
    baud19200->setChecked(baudCode == PortSettings::Baud19200);
    baud57600->setChecked(baudCode == PortSettings::Baud57600);
    portCode_ = port_.portCode.load();
    if (portCode_ >= 0 && portCode_ < PortSettings::kPortCount) {
        portRadio(portCode_)->setChecked(true);
    }
    applyEnabling();
}

void SerialPortDialog::applyEnabling() {
    // Changing the port under a running action would pull the line away from the engine.
    const bool idle = commandWord() == 0;
    for (int k = 0; k < PortSettings::kPortCount; ++k) {
        portRadio(k)->setEnabled(idle);
        pathEdit(k)->setEnabled(idle);
        listButton(k)->setEnabled(idle);
    }
}

void SerialPortDialog::refreshDeviceList(int code) {
    QMenu* menu = menus_[static_cast<std::size_t>(code)];
    menu->clear();
    if (!lister_) {
        return;
    }
    QLineEdit* edit = pathEdit(code);
    for (const SerialDevice& device : lister_()) {
        QAction* action = menu->addAction(QString::fromStdString(describeSerialDevice(device)));
        const QString path = QString::fromStdString(device.path);
        action->setData(path);
        connect(action, &QAction::triggered, edit, [edit, path] {
            edit->setText(path);
            edit->setCursorPosition(static_cast<int>(path.size()));
        });
    }
}

void SerialPortDialog::readRadios() {
    for (int k = 0; k < PortSettings::kPortCount; ++k) {
        if (portRadio(k)->isChecked()) {
            portCode_ = k;
            return;
        }
    }
}

DevicePaths SerialPortDialog::readPaths() const {
    DevicePaths paths;
    for (int k = 0; k < PortSettings::kPortCount; ++k) {
        QString path = pathEdit(k)->text();
        // A line break could not be stored in KVT_com.ini; blanks around a path are typing slips.
        path.remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        paths[static_cast<std::size_t>(k)] = path.trimmed().toStdString();
    }
    return paths;
}

bool SerialPortDialog::changed() const {
    return portCode_ != port_.portCode.load() || readPaths() != devices_;
}

void SerialPortDialog::accept() {
    // KVT_com.ini keeps its paths in Windows-1252; a path it cannot hold stays in the dialog.
    for (const std::string& path : readPaths()) {
        char32_t refused = 0;
        if (!utf8ToCp1252(path, &refused)) {
            showBox({refusedCharacterText(refused), windowTitle().toStdString(), BoxButtons::Ok,
                     BoxIcon::Exclamation, true});
            return;
        }
    }
    readRadios();
    if (changed()) {
        setModifiedFlag(1);
    }
    port_.portCode = portCode_;
    devices_ = readPaths();
    timer_->stop();
    QDialog::accept();
}

void SerialPortDialog::reject() {
    readRadios();
    if (changed() && !confirmCancel(text(kCaption))) {
        return;
    }
    timer_->stop();
    QDialog::reject();
}

}  // namespace kvt
