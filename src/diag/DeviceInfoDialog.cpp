#include "diag/DeviceInfoDialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QStringList>
#include <QTimer>
#include <span>
#include <string>

#include "data/DeviceInfoText.h"
#include "engine/CommandWord.h"
#include "engine/Notifier.h"

namespace kvt {
namespace {

// One read-only edit, with its label when the group holds more than one.
struct Field {
    int labelId;  // 0: none
    int labelString;
    int editId;
    std::string (*show)(const DeviceInfo&);
};

// A group box of the template, placed in one of two columns.
struct Group {
    int id;
    int captionString;
    bool hidden;  // the operation counter: computed but never shown
    int column;
    std::span<const Field> fields;
};

std::string decimal(std::int32_t v) {
    return std::to_string(v);
}
std::string twoDigits(std::int32_t v) {
    return v >= 0 && v < 10 ? "0" + std::to_string(v) : std::to_string(v);
}

constexpr Field kFirmware[] = {{0, 0, DeviceInfoDialog::kFirmwareEdit,
                                [](const DeviceInfo& i) { return twoDigits(i.firmwareVersion); }}};
constexpr Field kPartNumber[] = {{0, 0, DeviceInfoDialog::kPartNumberEdit,
                                  [](const DeviceInfo& i) { return partNumberText(i); }}};
constexpr Field kSerial[] = {
    {0, 0, 1598, [](const DeviceInfo& i) { return decimal(i.serialNumber); }}};
constexpr Field kProduction[] = {
    {1602, 111, 1285, [](const DeviceInfo& i) { return bcdText(i.productionYear); }},
    {1605, 110, 1606, [](const DeviceInfo& i) { return bcdText(i.productionWeek); }},
};
constexpr Field kOperation[] = {
    {1608, 123, DeviceInfoDialog::kDaysEdit,
     [](const DeviceInfo& i) { return twoDigits(splitOperatingTime(i.operationMinutes).days); }},
    {1609, 124, DeviceInfoDialog::kHoursEdit,
     [](const DeviceInfo& i) { return twoDigits(splitOperatingTime(i.operationMinutes).hours); }},
    {1612, 125, DeviceInfoDialog::kMinutesEdit,
     [](const DeviceInfo& i) { return twoDigits(splitOperatingTime(i.operationMinutes).minutes); }},
};
constexpr Field kCalibrationDate[] = {
    {1621, 111, 1296, [](const DeviceInfo& i) { return bcdText(i.calibrationYear); }},
    {1294, 127, 1297, [](const DeviceInfo& i) { return bcdText(i.calibrationMonth); }},
    {1295, 128, 1298, [](const DeviceInfo& i) { return bcdText(i.calibrationDay); }},
};
constexpr Field kCalibrationStatus[] = {
    {0, 0, 1300, [](const DeviceInfo& i) { return decimal(i.calibrationStatus); }}};
constexpr Field kCalibrationCounter[] = {
    {0, 0, 1301, [](const DeviceInfo& i) { return decimal(i.calibrationCounter); }}};
constexpr Field kTemperatures[] = {
    {1654, 177, 1655, [](const DeviceInfo& i) { return decimal(i.calibrationTemperature); }},
    {1353, 140, 1656, [](const DeviceInfo& i) { return decimal(i.moduleTemperature); }},
};

const Group kGroups[] = {
    {1588, 120, false, 0, kFirmware},         {1590, 108, false, 0, kPartNumber},
    {1276, 109, false, 0, kSerial},           {1592, 121, false, 0, kProduction},
    {1278, 122, true, 0, kOperation},         {1594, 126, false, 1, kCalibrationDate},
    {1155, 91, false, 1, kCalibrationStatus}, {1595, 141, false, 1, kCalibrationCounter},
    {1653, 138, false, 1, kTemperatures},
};

// The template names the read button after the caption's older word.
constexpr const char* kReadButtonTemplateText = "Read Modul Info";
constexpr const char* kCopyText = "Copy";
constexpr int kEditChars = 22;  // wide enough for a twenty-character part number

}  // namespace

DeviceInfoDialog::DeviceInfoDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                   const DeviceInfo& info, DiagAccess access)
    : CToolDialog(owner, strings, boxes, access.commandWord),
      info_(info),
      access_(std::move(access)) {
    setObjectName(QStringLiteral("deviceInfoDialog"));
    setWindowTitle(text(kTitle));

    auto* layout = new QGridLayout(this);
    int rowOf[2] = {0, 0};
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (const Group& group : kGroups) {
        auto* box = named(new QGroupBox(caption(group.captionString), this), "static", group.id);
        auto* grid = new QGridLayout(box);
        int column = 0;
        for (const Field& field : group.fields) {
            if (field.labelId != 0) {
                grid->addWidget(
                    named(new QLabel(caption(field.labelString), box), "static", field.labelId), 0,
                    column++);
            }
            auto* edit = named(new QLineEdit(box), "edit", field.editId);
            edit->setReadOnly(true);
            if (group.fields.size() == 1) {
                edit->setMinimumWidth(charWidth * kEditChars);
            } else {
                edit->setMaximumWidth(charWidth * 6);
            }
            grid->addWidget(edit, 0, column++);
        }
        box->setVisible(!group.hidden);
        layout->addWidget(box, rowOf[group.column]++, group.column);
    }

    auto* buttons = new QDialogButtonBox(this);
    auto* read = named(
        buttons->addButton(caption(112, kReadButtonTemplateText), QDialogButtonBox::ActionRole),
        "button", kReadButton);
    auto* copy =
        named(buttons->addButton(QString::fromLatin1(kCopyText), QDialogButtonBox::ActionRole),
              "button", kCopyButton);
    auto* ok = named(buttons->addButton(caption(kOkCaption), QDialogButtonBox::AcceptRole),
                     "button", kOkId);
    ok->setDefault(true);
    connect(read, &QPushButton::clicked, this, &DeviceInfoDialog::readDeviceInfo);
    connect(copy, &QPushButton::clicked, this, &DeviceInfoDialog::copyToClipboard);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, std::max(rowOf[0], rowOf[1]), 0, 1, 2);

    // The engine reports when a read ends; the timer catches actions that other windows start.
    buttonTimer_ = new QTimer(this);
    connect(buttonTimer_, &QTimer::timeout, this, &DeviceInfoDialog::updateButtonState);
    buttonTimer_->start(kButtonTimerMs);
    fillFields();
    updateButtonState();
}

void DeviceInfoDialog::fillFields() {
    const QString notRead = text(kNotRead);
    for (const Group& group : kGroups) {
        for (const Field& field : group.fields) {
            edit(field.editId)
                ->setText(info_.valid() ? QString::fromStdString(field.show(info_)) : notRead);
        }
    }
}

void DeviceInfoDialog::updateButtonState() {
    readButton()->setEnabled(commandWord() == 0);
}

void DeviceInfoDialog::readDeviceInfo() {
    if (commandWord() == 0 && access_.post) {
        access_.post(cmd::kReadDeviceInfo);
    }
    updateButtonState();
}

void DeviceInfoDialog::onNotification(int code, std::intptr_t) {
    const bool errorEnd = code >= 1 && code <= 8;
    if (errorEnd || code == notify::kDeviceInfoRead) {
        fillFields();
    }
    updateButtonState();
}

QString DeviceInfoDialog::plainText() const {
    QStringList lines;
    for (const Group& group : kGroups) {
        if (group.hidden) {
            continue;
        }
        QStringList values;
        for (const Field& field : group.fields) {
            const QString value = edit(field.editId)->text().trimmed();
            values << (field.labelId != 0 ? control<QLabel>("static", field.labelId)->text() +
                                                QLatin1Char(' ') + value
                                          : value);
        }
        lines << control<QGroupBox>("static", group.id)->title() + QStringLiteral(": ") +
                     values.join(QStringLiteral(", "));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void DeviceInfoDialog::copyToClipboard() {
    QApplication::clipboard()->setText(plainText());
}

}  // namespace kvt
