#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <array>

#include "data/ParameterRecord.h"
#include "data/ScopeSettings.h"
#include "widgets/SpinButton.h"
#include "widgets/ToolDialog.h"

namespace kvt {

// "Scope Setup": edits the scope settings (mode, acquisition time, setpoints and ramp time of
// Step and Ramp Mode, trigger and sample rate of Trigger Mode, the signal of each channel,
// Master/Slave) and shows what the controller confirmed at the last acquisition start.
//
// Every control works on a private copy of the settings; OK, or a Cancel confirmed with Yes,
// stores it. The modified flag then tells the main frame that the settings changed (it clears
// the samples, zooms back and marks the project modified). The read-back values belong to the
// acquisition: the dialog shows them and never stores or compares them.
class ScopeSetupDialog : public CToolDialog {
    Q_OBJECT

  public:
    // Control ids.
    static constexpr int kStepMode = 1173;
    static constexpr int kRampMode = 1175;
    static constexpr int kTriggerMode = 1177;
    static constexpr int kAcqTimeEdit = 1576;
    static constexpr int kAcqTimeSpin = 1182;
    static constexpr int kAcqTimeRead = 1577;
    static constexpr int kSetpointBeginEdit = 1179;
    static constexpr int kSetpointBeginSpin = 1181;
    static constexpr int kSetpointBeginRead = 1180;
    static constexpr int kSetpointEndEdit = 1187;
    static constexpr int kSetpointEndSpin = 1189;
    static constexpr int kSetpointEndRead = 1188;
    static constexpr int kRampTimeEdit = 1193;
    static constexpr int kRampTimeSpin = 1195;
    static constexpr int kTriggerChannel = 1199;
    static constexpr int kRising = 1206;
    static constexpr int kFalling = 1208;
    static constexpr int kTriggerValueEdit = 1211;
    static constexpr int kTriggerValueSpin = 1213;
    static constexpr int kSampleRate = 1216;
    static constexpr std::array<int, 4> kAnalogCombos = {1219, 1221, 1223, 1225};
    static constexpr std::array<int, 4> kAnalogReads = {1652, 1653, 1654, 1655};
    static constexpr std::array<int, 4> kBinaryCombos = {1227, 1229, 1231, 1233};
    static constexpr int kMaster = 1755;
    static constexpr int kSlave = 1756;
    static constexpr int kCaption = 60;  // "Scope Setup"
    // The enabling rule runs again this often while the dialog is open.
    static constexpr int kEnableTimerMs = 5000;
    // Controller structures with a slave loop (cascaded control): only they record Slave signals.
    static constexpr std::array<std::int32_t, 2> kCascadedStructures = {6, 7};

    ScopeSetupDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes, ScopeSettings& settings,
                     const ParameterRecord& currentSet, CommandWordSource commandWord);

    const ScopeSettings& copy() const { return copy_; }
    QTimer* enableTimer() const { return timer_; }

  public slots:
    void accept() override;
    void reject() override;
    void applyEnabling();

  private:
    struct NumericField;
    static const std::array<NumericField, 5> kNumericFields;

    void buildControls();
    void fillControls();
    void connectControls();
    void readNumeric(const NumericField& field);
    void stepNumeric(const NumericField& field, int delta);
    void showNumeric(const NumericField& field);
    void readControls();
    bool copyDiffers() const;
    void storeCopy();

    ScopeSettings& settings_;
    const ParameterRecord& currentSet_;
    ScopeSettings copy_;
    QTimer* timer_ = nullptr;
};

}  // namespace kvt
