#include "calib/StartCalibrationDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "data/CalibrationText.h"

namespace kvt {
namespace {

constexpr const char* kCaution =
    "The controller now calibrates the valve: the valve moves on its own between fully closed "
    "and fully open, whatever the process needs.\n\n"
    "Start only when the process allows the valve to move. The dialog checks the calibration "
    "once a second and stops it when the controller reports it complete.";

}  // namespace

StartCalibrationDialog::StartCalibrationDialog(QWidget* owner, Strings& strings, std::int32_t mode)
    : CToolDialog(owner, strings) {
    setObjectName(QStringLiteral("startCalibrationDialog"));
    setWindowTitle(QStringLiteral("Start Calibration"));
    auto* column = new QVBoxLayout(this);

    auto* caution = new QLabel(QString::fromUtf8(kCaution), this);
    caution->setObjectName(QStringLiteral("caution"));
    caution->setWordWrap(true);
    caution->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 48);
    QFont bold = caution->font();
    bold.setBold(true);
    caution->setFont(bold);
    column->addWidget(caution);

    auto* box = new QGroupBox(QStringLiteral("Temperature Compensation"), this);
    auto* radios = new QVBoxLayout(box);
    for (const CalibrationModeName& m : kCalibrationModes) {
        auto* radio = new QRadioButton(
            QString::fromUtf8(m.caption.data(), static_cast<int>(m.caption.size())), box);
        radio->setObjectName(modeRadioName(m.mode));
        radios->addWidget(radio);
        radios_[static_cast<std::size_t>(m.mode)] = radio;
    }
    column->addWidget(box);
    column->addWidget(okCancelButtons(caption(kOkCaption), caption(kCancelCaption)));
    setMode(mode);
}

QString StartCalibrationDialog::modeRadioName(std::int32_t mode) {
    return QStringLiteral("radioMode%1").arg(mode);
}

void StartCalibrationDialog::setMode(std::int32_t mode) {
    // The controller takes any other mode as 0; the dialog shows it as such.
    const std::size_t index = mode >= 0 && mode < 3 ? static_cast<std::size_t>(mode) : 0;
    radios_[index]->setChecked(true);
}

std::int32_t StartCalibrationDialog::mode() const {
    for (std::size_t i = 0; i < radios_.size(); ++i) {
        if (radios_[i]->isChecked()) {
            return static_cast<std::int32_t>(i);
        }
    }
    return 0;
}

}  // namespace kvt
