#include "scope/view/ScopeSetupDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/ScopeModel.h"
#include "widgets/DeviceValueEdit.h"

namespace kvt {

// An edit with its spin control and, for some, a read-only edit with the value read back.
struct ScopeSetupDialog::NumericField {
    int group;
    int captionId;
    int edit;
    int spin;
    std::int32_t ScopeSettings::*intField;  // null for a float field
    float ScopeSettings::*floatField;       // null for an integer field
    float lo;
    float hi;
    int scale;     // spin position = value x scale
    int readEdit;  // 0: no read-back
};

const std::array<ScopeSetupDialog::NumericField, 5> ScopeSetupDialog::kNumericFields = {{
    {1578, 145, kAcqTimeEdit, kAcqTimeSpin, &ScopeSettings::acqTime, nullptr, 4, 20, 1,
     kAcqTimeRead},
    {1183, 81, kSetpointBeginEdit, kSetpointBeginSpin, nullptr, &ScopeSettings::setpointBegin, 0,
     100, 2, kSetpointBeginRead},
    {1185, 82, kSetpointEndEdit, kSetpointEndSpin, nullptr, &ScopeSettings::setpointEnd, 0, 100, 2,
     kSetpointEndRead},
    {1191, 83, kRampTimeEdit, kRampTimeSpin, nullptr, &ScopeSettings::rampTime, 0, 20, 10, 0},
    {1217, 75, kTriggerValueEdit, kTriggerValueSpin, &ScopeSettings::triggerValue, nullptr, -100,
     100, 1, 0},
}};

namespace {

// Group ids and caption string ids of the remaining controls.
constexpr int kModeGroup = 1171;
constexpr int kTriggerGroup = 1197;
constexpr int kChannelLabel = 1202;
constexpr int kSlopeGroup = 1204;
constexpr int kSampleRateGroup = 1215;
constexpr int kMasterSlaveGroup = 1754;
constexpr std::array<int, 4> kAnalogGroups = {1218, 1220, 1222, 1224};
constexpr std::array<int, 4> kBinaryGroups = {1230, 1228, 1226, 1232};
constexpr int kAnalogChannelCaption = 61;  // 61..64
constexpr int kBinaryChannelCaption = 65;  // 65..68
constexpr int kNoTriggerCaption = 69;      // "None (Roll Mode)"

constexpr std::array<std::pair<int, int>, 3> kModeRadios = {{{ScopeSetupDialog::kStepMode, 78},
                                                             {ScopeSetupDialog::kRampMode, 79},
                                                             {ScopeSetupDialog::kTriggerMode, 80}}};

// Trigger channels: 0 none, 1..4 analog, 5..8 binary.
constexpr int kTriggerChannels = 9;
constexpr int kFirstBinaryTrigger = 5;
constexpr int kBinaryBits = 8;
// Binary channels 1 and 4 always show these bits.
constexpr std::int32_t kBinary1Bit = 0;
constexpr std::int32_t kBinary4Bit = 4;

bool valid(std::int32_t flag) {
    return (flag & 0xFF) != 0;
}

// The fields the dialog edits. The others (read-back values, unused words) belong to the
// acquisition and stay as the record has them.
void copyEditable(const ScopeSettings& from, ScopeSettings& to) {
    to.mode = from.mode;
    to.acqTime = from.acqTime;
    to.setpointBegin = from.setpointBegin;
    to.setpointEnd = from.setpointEnd;
    to.rampTime = from.rampTime;
    to.triggerChannel = from.triggerChannel;
    to.triggerSlope = from.triggerSlope;
    to.triggerValue = from.triggerValue;
    to.sampleRateIndex = from.sampleRateIndex;
    for (int c = 0; c < 4; ++c) {
        to.analogSel(c) = from.analogSel(c);
    }
    std::copy(std::begin(from.binarySel), std::end(from.binarySel), std::begin(to.binarySel));
    to.masterSlave = from.masterSlave;
}

int comboIndex(const QComboBox* combo, int last) {
    return std::clamp(combo->currentIndex(), 0, last);
}

}  // namespace

ScopeSetupDialog::ScopeSetupDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                   ScopeSettings& settings, const ParameterRecord& currentSet,
                                   CommandWordSource commandWord)
    : CToolDialog(owner, strings, boxes, std::move(commandWord)),
      settings_(settings),
      currentSet_(currentSet) {
    setObjectName(QStringLiteral("scopeSetupDialog"));
    setWindowTitle(caption(kCaption));
    // A time outside 4..20 is put right in the record itself.
    settings_.acqTime = std::clamp(settings_.acqTime, 4, 20);
    copy_ = settings_;
    buildControls();
    fillControls();
    connectControls();

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("enableTimer"));
    timer_->setInterval(kEnableTimerMs);
    connect(timer_, &QTimer::timeout, this, &ScopeSetupDialog::applyEnabling);
    applyEnabling();
    timer_->start();
}

void ScopeSetupDialog::buildControls() {
    auto group = [this](int id, int captionId) {
        return named(new QGroupBox(caption(captionId), this), id);
    };
    auto readOnly = [this](QWidget* parent, int id) {
        return named(makeDeviceValueEdit(parent), id);
    };
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));

    auto* grid = new QGridLayout(this);
    auto* left = new QVBoxLayout;
    auto* middle = new QVBoxLayout;
    auto* analog = new QVBoxLayout;
    auto* binary = new QVBoxLayout;
    grid->addLayout(left, 0, 0);
    grid->addLayout(middle, 0, 1);
    grid->addLayout(analog, 0, 2);
    grid->addLayout(binary, 0, 3);

    QGroupBox* mode = group(kModeGroup, 77);
    auto* modeColumn = new QVBoxLayout(mode);
    for (const auto& [id, captionId] : kModeRadios) {
        modeColumn->addWidget(named(new QRadioButton(caption(captionId), mode), id));
    }
    left->addWidget(mode);

    for (const NumericField& field : kNumericFields) {
        QGroupBox* box = group(field.group, field.captionId);
        auto* row = new QHBoxLayout(box);
        row->setSpacing(1);
        auto* edit = named(new QLineEdit(box), field.edit);
        edit->setFixedWidth(charWidth * 8);
        auto* spin = named(new SpinButton(box), field.spin);
        spin->setRange(static_cast<int>(field.lo) * field.scale,
                       static_cast<int>(field.hi) * field.scale);
        row->addWidget(edit);
        row->addWidget(spin);
        if (field.readEdit != 0) {
            row->addSpacing(8);
            QLineEdit* read = readOnly(box, field.readEdit);
            read->setFixedWidth(charWidth * 8);
            row->addWidget(read);
        }
        row->addStretch(1);
        (field.edit == kTriggerValueEdit ? middle : left)->addWidget(box);
        if (field.edit == kRampTimeEdit) {
            left->addStretch(1);
        }
    }

    // The trigger: channel, slope, then (above) the value; the sample rate below.
    QGroupBox* trigger = group(kTriggerGroup, 71);
    auto* triggerRows = new QVBoxLayout(trigger);
    triggerRows->addWidget(named(new QLabel(caption(70), trigger), kChannelLabel));
    auto* channel = named(new QComboBox(trigger), kTriggerChannel);
    channel->addItem(caption(kNoTriggerCaption));
    for (int k = 0; k < 4; ++k) {
        channel->addItem(caption(kAnalogChannelCaption + k));
    }
    for (int k = 0; k < 4; ++k) {
        channel->addItem(caption(kBinaryChannelCaption + k));
    }
    triggerRows->addWidget(channel);
    QGroupBox* slope = group(kSlopeGroup, 72);
    auto* slopeRow = new QHBoxLayout(slope);
    slopeRow->addWidget(named(new QRadioButton(caption(74), slope), kRising));
    slopeRow->addWidget(named(new QRadioButton(caption(73), slope), kFalling));
    triggerRows->addWidget(slope);
    middle->insertWidget(0, trigger);

    QGroupBox* rate = group(kSampleRateGroup, 76);
    auto* rateRow = new QVBoxLayout(rate);
    auto* rates = named(new QComboBox(rate), kSampleRate);
    for (int ms : kSamplePeriodsMs) {
        rates->addItem(QString::number(ms));
    }
    rateRow->addWidget(rates);
    middle->addWidget(rate);

    QGroupBox* masterSlave = group(kMasterSlaveGroup, 352);
    auto* masterSlaveRow = new QHBoxLayout(masterSlave);
    masterSlaveRow->addWidget(named(new QRadioButton(caption(353), masterSlave), kMaster));
    masterSlaveRow->addWidget(named(new QRadioButton(caption(354), masterSlave), kSlave));
    middle->addWidget(masterSlave);
    middle->addStretch(1);

    const int nameWidth = charWidth * 22;
    for (std::size_t c = 0; c < 4; ++c) {
        QGroupBox* box = group(kAnalogGroups[c], kAnalogChannelCaption + static_cast<int>(c));
        auto* rows = new QVBoxLayout(box);
        auto* combo = named(new QComboBox(box), kAnalogCombos[c]);
        combo->setMinimumWidth(nameWidth);
        rows->addWidget(combo);
        rows->addWidget(readOnly(box, kAnalogReads[c]));
        analog->addWidget(box);
    }
    analog->addStretch(1);
    for (std::size_t c = 0; c < 4; ++c) {
        QGroupBox* box = group(kBinaryGroups[c], kBinaryChannelCaption + static_cast<int>(c));
        auto* rows = new QVBoxLayout(box);
        auto* combo = named(new QComboBox(box), kBinaryCombos[c]);
        combo->setMinimumWidth(nameWidth);
        rows->addWidget(combo);
        binary->addWidget(box);
    }
    binary->addStretch(1);

    grid->addWidget(okCancelButtons(caption(kOkCaption), caption(kCancelCaption)), 1, 0, 1, 4);
}

void ScopeSetupDialog::fillControls() {
    const bool slave = copy_.masterSlave == 1;
    for (int c = 0; c < 4; ++c) {
        auto* combo = control<QComboBox>(kAnalogCombos[static_cast<std::size_t>(c)]);
        for (int i = 0; i < kAnalogChoiceCounts[static_cast<std::size_t>(c)]; ++i) {
            combo->addItem(text(analogSignalNameId(c, i, slave)));
        }
        combo->setCurrentIndex(copy_.analogSel(c) < combo->count() ? copy_.analogSel(c) : -1);
        auto* read = control<QLineEdit>(kAnalogReads[static_cast<std::size_t>(c)]);
        read->setText(valid(copy_.analogSelReadValid)
                          ? text(analogSignalNameId(c, copy_.analogSelRead(c), slave))
                          : text(kNotRead));
    }
    for (std::size_t c = 0; c < 4; ++c) {
        auto* combo = control<QComboBox>(kBinaryCombos[c]);
        for (int bit = 0; bit < kBinaryBits; ++bit) {
            combo->addItem(text(binarySignalNameId(bit)));
        }
        combo->setCurrentIndex(copy_.binarySel[c] < kBinaryBits ? copy_.binarySel[c] : -1);
    }
    auto* channel = control<QComboBox>(kTriggerChannel);
    channel->setCurrentIndex(copy_.triggerChannel < kTriggerChannels ? copy_.triggerChannel : -1);
    auto* rates = control<QComboBox>(kSampleRate);
    rates->setCurrentIndex(copy_.sampleRateIndex < static_cast<int>(kSamplePeriodsMs.size())
                               ? copy_.sampleRateIndex
                               : -1);

    for (std::size_t m = 0; m < kModeRadios.size(); ++m) {
        control<QRadioButton>(kModeRadios[m].first)->setChecked(copy_.mode == static_cast<int>(m));
    }
    control<QRadioButton>(kRising)->setChecked(copy_.triggerSlope == 0);
    control<QRadioButton>(kFalling)->setChecked(copy_.triggerSlope == 1);
    control<QRadioButton>(kMaster)->setChecked(copy_.masterSlave == 0);
    control<QRadioButton>(kSlave)->setChecked(copy_.masterSlave == 1);

    for (const NumericField& field : kNumericFields) {
        showNumeric(field);
    }
    control<QLineEdit>(kAcqTimeRead)
        ->setText(valid(copy_.acqTimeReadValid)
                      ? QString::fromStdString(integerFieldText(copy_.acqTimeRead))
                      : text(kNotRead));
    control<QLineEdit>(kSetpointBeginRead)
        ->setText(valid(copy_.setpointBeginReadValid)
                      ? QString::fromStdString(floatFieldText(copy_.setpointBeginRead))
                      : text(kNotRead));
    control<QLineEdit>(kSetpointEndRead)
        ->setText(valid(copy_.setpointEndReadValid)
                      ? QString::fromStdString(floatFieldText(copy_.setpointEndRead))
                      : text(kNotRead));
}

void ScopeSetupDialog::connectControls() {
    for (std::size_t m = 0; m < kModeRadios.size(); ++m) {
        connect(control<QRadioButton>(kModeRadios[m].first), &QRadioButton::clicked, this,
                [this, m] {
                    copy_.mode = static_cast<std::int32_t>(m);
                    applyEnabling();
                });
    }
    connect(control<QComboBox>(kTriggerChannel), &QComboBox::currentIndexChanged, this,
            [this](int index) {
                copy_.triggerChannel = std::clamp(index, 0, kTriggerChannels - 1);
                applyEnabling();
            });
    connect(control<QComboBox>(kSampleRate), &QComboBox::currentIndexChanged, this,
            [this](int index) {
                copy_.sampleRateIndex =
                    std::clamp(index, 0, static_cast<int>(kSamplePeriodsMs.size()) - 1);
            });
    for (const NumericField& field : kNumericFields) {
        onFocusLost(control<QLineEdit>(field.edit), [this, &field] { readNumeric(field); });
        connect(control<SpinButton>(field.spin), &SpinButton::stepped, this,
                [this, &field](int delta) { stepNumeric(field, delta); });
    }
}

// The field's value from the copy into its edit and spin.
void ScopeSetupDialog::showNumeric(const NumericField& field) {
    auto* edit = control<QLineEdit>(field.edit);
    auto* spin = control<SpinButton>(field.spin);
    if (field.intField != nullptr) {
        const std::int32_t value = copy_.*field.intField;
        writeEdit(*edit, QString::fromStdString(integerFieldText(value)));
        spin->setPosition(value * field.scale);
    } else {
        const float value = copy_.*field.floatField;
        writeEdit(*edit, QString::fromStdString(floatFieldText(value)));
        // Rounded, not cut: 0.7 s is position 7 although 0.7f x 10 is a hair below 7.
        spin->setPosition(static_cast<int>(std::lround(value * static_cast<float>(field.scale))));
    }
}

void ScopeSetupDialog::readNumeric(const NumericField& field) {
    auto* edit = control<QLineEdit>(field.edit);
    if (field.intField != nullptr) {
        copy_.*field.intField =
            readIntegerEdit(*edit, static_cast<std::int32_t>(field.lo),
                            static_cast<std::int32_t>(field.hi), kShortFieldCharLimit);
    } else {
        copy_.*field.floatField = readFloatEdit(*edit, field.lo, field.hi, kShortFieldCharLimit);
    }
    showNumeric(field);
}

void ScopeSetupDialog::stepNumeric(const NumericField& field, int delta) {
    auto* spin = control<SpinButton>(field.spin);
    const int position = spin->steppedPosition(delta);
    if (field.intField != nullptr) {
        copy_.*field.intField = position / field.scale;
    } else {
        copy_.*field.floatField = static_cast<float>(position) / static_cast<float>(field.scale);
    }
    showNumeric(field);
    spin->setPosition(position);
}

void ScopeSetupDialog::applyEnabling() {
    const bool idle = commandWord() == 0;
    const bool cascaded = std::find(kCascadedStructures.begin(), kCascadedStructures.end(),
                                    currentSet_.CONTROLLER_STRUCTURE) != kCascadedStructures.end();
    auto enableNumeric = [this](int editId, bool on) {
        for (const NumericField& field : kNumericFields) {
            if (field.edit == editId) {
                control<QLineEdit>(field.edit)->setEnabled(on);
                control<SpinButton>(field.spin)->setEnabled(on);
            }
        }
    };

    const int mode = copy_.mode;
    const bool stepOrRamp =
        idle && (mode == ScopeSettings::StepMode || mode == ScopeSettings::RampMode);
    const bool triggerMode = idle && mode == ScopeSettings::TriggerMode;
    const int channel = copy_.triggerChannel;
    const bool triggered = triggerMode && channel != 0;
    const bool analogTrigger = triggered && channel < kFirstBinaryTrigger;

    for (const auto& [id, captionId] : kModeRadios) {
        control<QRadioButton>(id)->setEnabled(idle);
    }
    for (std::size_t c = 0; c < 4; ++c) {
        control<QComboBox>(kAnalogCombos[c])->setEnabled(idle);
    }
    control<QComboBox>(kBinaryCombos[0])->setEnabled(false);
    control<QComboBox>(kBinaryCombos[1])->setEnabled(idle);
    control<QComboBox>(kBinaryCombos[2])->setEnabled(idle);
    control<QComboBox>(kBinaryCombos[3])->setEnabled(false);

    enableNumeric(kAcqTimeEdit, stepOrRamp || triggerMode);
    enableNumeric(kSetpointBeginEdit, stepOrRamp);
    enableNumeric(kSetpointEndEdit, stepOrRamp);
    enableNumeric(kRampTimeEdit, idle && mode == ScopeSettings::RampMode);
    control<QComboBox>(kTriggerChannel)->setEnabled(triggerMode);
    control<QComboBox>(kSampleRate)->setEnabled(triggerMode);
    control<QRadioButton>(kRising)->setEnabled(triggered);
    control<QRadioButton>(kFalling)->setEnabled(triggered);
    enableNumeric(kTriggerValueEdit, analogTrigger);

    if (!cascaded) {
        control<QRadioButton>(kMaster)->setChecked(true);
    }
    control<QRadioButton>(kMaster)->setEnabled(idle && cascaded);
    control<QRadioButton>(kSlave)->setEnabled(idle && cascaded);
}

void ScopeSetupDialog::readControls() {
    for (std::size_t m = 0; m < kModeRadios.size(); ++m) {
        if (control<QRadioButton>(kModeRadios[m].first)->isChecked()) {
            copy_.mode = static_cast<std::int32_t>(m);
            break;
        }
    }
    // Each selection is kept inside the names its channel has.
    for (int c = 0; c < 4; ++c) {
        copy_.analogSel(c) =
            comboIndex(control<QComboBox>(kAnalogCombos[static_cast<std::size_t>(c)]),
                       kAnalogChoiceCounts[static_cast<std::size_t>(c)] - 1);
    }
    copy_.binarySel[0] = kBinary1Bit;
    copy_.binarySel[1] = comboIndex(control<QComboBox>(kBinaryCombos[1]), kBinaryBits - 1);
    copy_.binarySel[2] = comboIndex(control<QComboBox>(kBinaryCombos[2]), kBinaryBits - 1);
    copy_.binarySel[3] = kBinary4Bit;
    copy_.triggerChannel = comboIndex(control<QComboBox>(kTriggerChannel), kTriggerChannels - 1);
    copy_.sampleRateIndex =
        comboIndex(control<QComboBox>(kSampleRate), static_cast<int>(kSamplePeriodsMs.size()) - 1);
    copy_.triggerSlope = control<QRadioButton>(kFalling)->isChecked() ? 1 : 0;
    copy_.masterSlave = control<QRadioButton>(kSlave)->isChecked() ? 1 : 0;
    for (const NumericField& field : kNumericFields) {
        readNumeric(field);
    }
}

bool ScopeSetupDialog::copyDiffers() const {
    ScopeSettings merged = settings_;
    copyEditable(copy_, merged);
    return std::memcmp(&merged, &settings_, sizeof(ScopeSettings)) != 0;
}

void ScopeSetupDialog::storeCopy() {
    copyEditable(copy_, settings_);
}

void ScopeSetupDialog::accept() {
    readControls();
    if (copyDiffers()) {
        setModifiedFlag(1);
    }
    storeCopy();
    timer_->stop();
    QDialog::accept();
}

void ScopeSetupDialog::reject() {
    readControls();
    if (copyDiffers()) {
        if (!confirmCancel(text(kCaption))) {
            return;
        }
        // Yes keeps what was edited: the settings are stored and count as changed.
        storeCopy();
        setModifiedFlag(1);
    }
    timer_->stop();
    QDialog::reject();
}

}  // namespace kvt
