#include "diag/SerialSetpointDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>

#include "data/FieldParsing.h"
#include "engine/CommandWord.h"

namespace kvt {
namespace {

constexpr float kMaxSetpoint = 100.0f;
constexpr float kStepsPerPercent = 2.0f;  // the setpoint moves in 0.5 % steps
constexpr int kGroup = 1159;
constexpr int kNote = 1623;

QString percentText(float value) {
    return QString::asprintf("%1.1f", static_cast<double>(value));
}

}  // namespace

SerialSetpointDialog::SerialSetpointDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                           SerialSetpoint& setpoint, DiagAccess access)
    : CToolDialog(owner, strings, boxes, access.commandWord),
      setpoint_(setpoint),
      access_(std::move(access)),
      atOpening_(setpoint.serialSetpoint) {
    setObjectName(QStringLiteral("serialSetpointDialog"));
    setWindowTitle(text(kTitle));
    auto* layout = new QVBoxLayout(this);

    auto* group = named(new QGroupBox(text(167), this), "static", kGroup);
    auto* grid = new QGridLayout(group);
    auto* e = named(new QLineEdit(group), "edit", kSetpointEdit);
    e->setMaximumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 8);
    auto* s = named(new SpinButton(group), "spin", kSetpointSpin);
    s->setRange(0, kSpinMax);
    grid->addWidget(e, 0, 0);
    grid->addWidget(s, 0, 1);
    // Rows of the template: the state radios, the source radios and the two action buttons.
    const std::pair<int, int> radios[] = {
        {kOnRadio, 35}, {kOffRadio, 36}, {kSerialSource, 402}, {kPwmSource, 403}};
    int row = 1;
    for (auto [id, caption] : radios) {
        auto* r = named(new QRadioButton(text(caption), group), "radio", id);
        r->setAutoExclusive(false);
        grid->addWidget(r, row++, 0, 1, 2);
    }
    // On and Off show the state only; the buttons change it.
    for (int id : {kOnRadio, kOffRadio}) {
        radio(id)->setAttribute(Qt::WA_TransparentForMouseEvents);
        radio(id)->setFocusPolicy(Qt::NoFocus);
    }
    radio(kPwmSource)->hide();
    connect(radio(kSerialSource), &QRadioButton::clicked, this, [this] {
        setpoint_.serialSetpointMode = 0;
        showState();
    });
    connect(radio(kPwmSource), &QRadioButton::clicked, this, [this] {
        setpoint_.serialSetpointMode = 1;
        showState();
    });
    auto* transmitButton = named(new QPushButton(text(168), group), "button", kTransmitButton);
    auto* offButton = named(new QPushButton(text(36), group), "button", kOffButton);
    grid->addWidget(transmitButton, 1, 2);
    grid->addWidget(offButton, 2, 2);
    layout->addWidget(group);
    layout->addWidget(named(new QLabel(text(170), this), "static", kNote));

    auto* buttons = new QDialogButtonBox(this);
    named(buttons->addButton(text(334), QDialogButtonBox::RejectRole), "button", kCloseButton);
    connect(buttons, &QDialogButtonBox::rejected, this, &SerialSetpointDialog::reject);
    layout->addWidget(buttons);

    connect(transmitButton, &QPushButton::clicked, this, &SerialSetpointDialog::transmit);
    connect(offButton, &QPushButton::clicked, this, &SerialSetpointDialog::switchOff);
    connect(s, &SpinButton::stepped, this, &SerialSetpointDialog::step);
    onFocusLost(e, [this] { readSetpoint(); });
    showState();
}

void SerialSetpointDialog::readSetpoint() {
    const float typed = readFloatEdit(*edit(), 0.0f, kMaxSetpoint);
    setpoint_.serialSetpoint = std::trunc(typed * kStepsPerPercent) / kStepsPerPercent;
    writeEdit(*edit(), percentText(setpoint_.serialSetpoint));
    spin()->setPosition(static_cast<int>(setpoint_.serialSetpoint * kStepsPerPercent));
}

void SerialSetpointDialog::step(int delta) {
    const int position = spin()->steppedPosition(delta);
    spin()->setPosition(position);
    setpoint_.serialSetpoint = static_cast<float>(position) / kStepsPerPercent;
    writeEdit(*edit(), percentText(setpoint_.serialSetpoint));
}

void SerialSetpointDialog::transmit() {
    if (commandWord() != 0) {
        return;
    }
    readSetpoint();
    setpoint_.serialTransmit = 1;
    if (access_.post) {
        access_.post(cmd::kSerialSetpoint);
    }
    showState();
}

void SerialSetpointDialog::switchOff() {
    if (setpoint_.serialTransmit == 0 || commandWord() != 0) {
        return;
    }
    readSetpoint();
    setpoint_.serialTransmit = 0;
    if (access_.post) {
        access_.post(cmd::kSerialSetpoint);
    }
    showState();
}

void SerialSetpointDialog::reject() {
    // Leaving while the setpoint is on would leave the valve driven from here with nobody
    // watching: every way out is refused as the Close button is.
    if (setpoint_.serialTransmit != 0) {
        return;
    }
    if (setpoint_.serialSetpoint != atOpening_) {
        setModifiedFlag(1);
    }
    QDialog::reject();
}

void SerialSetpointDialog::onNotification(int code, std::intptr_t) {
    if (code >= 1 && code <= 8) {
        // The action failed: whatever the controller does now, it was not switched on by us.
        setpoint_.serialTransmit = 0;
        showState();
    }
    updateEnabling();
}

void SerialSetpointDialog::showState() {
    const bool on = setpoint_.serialTransmit != 0;
    radio(kOnRadio)->setChecked(on);
    radio(kOffRadio)->setChecked(!on);
    radio(kSerialSource)->setChecked(setpoint_.serialSetpointMode == 0);
    radio(kPwmSource)->setChecked(setpoint_.serialSetpointMode == 1);
    writeEdit(*edit(), percentText(setpoint_.serialSetpoint));
    spin()->setPosition(static_cast<int>(setpoint_.serialSetpoint * kStepsPerPercent));
    updateEnabling();
}

void SerialSetpointDialog::updateEnabling() {
    const bool idle = commandWord() == 0;
    const bool on = setpoint_.serialTransmit != 0;
    button(kTransmitButton)->setEnabled(idle);
    spin()->setEnabled(idle);
    edit()->setEnabled(idle);
    button(kOffButton)->setEnabled(idle && on);
    button(kCloseButton)->setEnabled(!on);
}

}  // namespace kvt
