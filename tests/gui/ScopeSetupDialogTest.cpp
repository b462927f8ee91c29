#include <gtest/gtest.h>

#include <QGroupBox>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <cstring>

#include "GuiTestSupport.h"
#include "data/ScopeModel.h"
#include "data/StringTable.h"
#include "scope/view/ScopeSetupDialog.h"

namespace kvt {
namespace {

using test::leave;
using D = ScopeSetupDialog;

class ScopeSetupDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::memset(&settings, 0, sizeof settings);
        resetScopeSettings(settings);
        std::memset(&current, 0, sizeof current);
    }

    std::unique_ptr<D> open(Strings* with = nullptr) {
        return std::make_unique<D>(nullptr, with != nullptr ? *with : strings, boxes, settings,
                                   current, [this] { return commandWord; });
    }

    static QLineEdit* edit(D& d, int id) { return d.control<QLineEdit>(id); }
    static QComboBox* combo(D& d, int id) { return d.control<QComboBox>(id); }
    static QRadioButton* radio(D& d, int id) { return d.control<QRadioButton>(id); }
    static SpinButton* spin(D& d, int id) { return d.control<SpinButton>(id); }
    static bool enabled(D& d, int id) { return d.control<QWidget>(id)->isEnabled(); }

    StringTable strings;
    test::ScriptedBoxes boxes;
    ScopeSettings settings{};
    ParameterRecord current{};
    std::uint32_t commandWord = 0;
};

// Every control shows its own field (one value each; the clamps and steps are tested below).
TEST_F(ScopeSetupDialogTest, OpeningShowsTheSettingsAndTheFixedBinaryChannelsAreLocked) {
    settings.setpointEnd = 75.5f;
    settings.rampTime = 2.5f;
    settings.triggerValue = -7;
    auto d = open();
    EXPECT_TRUE(radio(*d, D::kTriggerMode)->isChecked());
    EXPECT_FALSE(radio(*d, D::kStepMode)->isChecked());
    const std::pair<int, const char*> edits[] = {{D::kAcqTimeEdit, "8"},
                                                 {D::kSetpointBeginEdit, "10.0"},
                                                 {D::kSetpointEndEdit, "75.5"},
                                                 {D::kRampTimeEdit, "2.5"},
                                                 {D::kTriggerValueEdit, "-7"}};
    for (const auto& [id, text] : edits) {
        EXPECT_EQ(edit(*d, id)->text(), text) << id;
    }
    EXPECT_EQ(spin(*d, D::kSetpointEndSpin)->position(), 151);
    EXPECT_EQ(combo(*d, D::kTriggerChannel)->currentText(), "None (Roll Mode)");
    EXPECT_EQ(combo(*d, D::kSampleRate)->currentText(), "4");
    const char* selected[] = {"Setpoint", "Feedback", "none", "none"};
    const char* bits[] = {"Digital Output", "Signal Open", "Signal Close", "Digital Input"};
    for (std::size_t c = 0; c < 4; ++c) {
        EXPECT_EQ(combo(*d, D::kAnalogCombos[c])->currentText(), selected[c]);
        EXPECT_EQ(edit(*d, D::kAnalogReads[c])->text(), " -- ");
        EXPECT_EQ(combo(*d, D::kBinaryCombos[c])->currentText(), bits[c]);
    }
    EXPECT_TRUE(radio(*d, D::kRising)->isChecked());
    EXPECT_TRUE(radio(*d, D::kMaster)->isChecked());
    for (int id : {D::kAcqTimeRead, D::kSetpointBeginRead, D::kSetpointEndRead}) {
        EXPECT_EQ(edit(*d, id)->text(), " -- ") << id;
    }
    // Binary channels 1 and 4 always show bits 0 and 4.
    EXPECT_FALSE(enabled(*d, D::kBinaryCombos[0]));
    EXPECT_FALSE(enabled(*d, D::kBinaryCombos[3]));
    EXPECT_TRUE(enabled(*d, D::kBinaryCombos[1]));
    EXPECT_TRUE(enabled(*d, D::kAnalogCombos[0]));
}

TEST_F(ScopeSetupDialogTest, ReadBackValuesShowWhenTheControllerConfirmedThem) {
    settings.acqTimeRead = 6;
    settings.acqTimeReadValid = 1;
    settings.setpointBeginRead = 12.5f;
    settings.setpointBeginReadValid = 0x101;  // only the low byte counts
    settings.setpointEndRead = 80.0f;
    settings.setpointEndReadValid = 0x100;
    settings.analogSelRead(0) = 1;
    settings.analogSelRead(2) = 1;
    settings.analogSelReadValid = 1;
    settings.masterSlave = 1;
    current.CONTROLLER_STRUCTURE = 6;
    auto d = open();
    EXPECT_EQ(edit(*d, D::kAcqTimeRead)->text(), "6");
    EXPECT_EQ(edit(*d, D::kSetpointBeginRead)->text(), "12.5");
    EXPECT_EQ(edit(*d, D::kSetpointEndRead)->text(), " -- ");
    EXPECT_EQ(edit(*d, D::kAnalogReads[0])->text(), "Analog Input 2");
    EXPECT_EQ(edit(*d, D::kAnalogReads[1])->text(), "Feedback(S)") << "the Slave names";
    EXPECT_EQ(edit(*d, D::kAnalogReads[2])->text(), "PID-Out(S)");
    EXPECT_EQ(combo(*d, D::kAnalogCombos[0])->itemText(0), "Setpoint(S)");
    EXPECT_TRUE(edit(*d, D::kAcqTimeRead)->isReadOnly());
}

TEST_F(ScopeSetupDialogTest, AnAcquisitionTimeOutOfRangeIsPutRightInTheRecord) {
    settings.acqTime = 30;
    auto d = open();
    EXPECT_EQ(settings.acqTime, 20);
    EXPECT_EQ(edit(*d, D::kAcqTimeEdit)->text(), "20");
    settings.acqTime = -3;
    auto e = open();
    EXPECT_EQ(settings.acqTime, 4);
}

// Each field with its own range and spin; the parse rules themselves are unit-tested.
TEST_F(ScopeSetupDialogTest, TypedValuesAreCutClampedAndWrittenBack) {
    struct Case {
        int edit, spin;
        const char* typed;
        const char* shown;
        int position;
    };
    const Case cases[] = {
        {D::kAcqTimeEdit, D::kAcqTimeSpin, "25", "20", 20},
        {D::kSetpointBeginEdit, D::kSetpointBeginSpin, "45.25%", "45.2", 91},
        {D::kRampTimeEdit, D::kRampTimeSpin, "33", "20.0", 200},
        {D::kTriggerValueEdit, D::kTriggerValueSpin, "-250", "-100", -100},
    };
    auto d = open();
    for (const Case& c : cases) {
        QLineEdit* e = edit(*d, c.edit);
        e->setText(c.typed);
        leave(e);
        EXPECT_EQ(e->text(), c.shown) << c.typed;
        EXPECT_EQ(e->cursorPosition(), e->text().size()) << c.typed;
        EXPECT_EQ(spin(*d, c.spin)->position(), c.position) << c.typed;
    }
    EXPECT_EQ(d->copy().acqTime, 20);
    EXPECT_FLOAT_EQ(d->copy().setpointBegin, 45.25f);
    EXPECT_FLOAT_EQ(d->copy().rampTime, 20.0f);
    EXPECT_EQ(d->copy().triggerValue, -100);
}

TEST_F(ScopeSetupDialogTest, SpinStepsMoveTheFieldByItsStepAndStopAtTheBounds) {
    settings.mode = ScopeSettings::RampMode;
    settings.setpointBegin = 99.5f;
    settings.rampTime = 0.7f;
    auto d = open();
    EXPECT_EQ(spin(*d, D::kRampTimeSpin)->position(), 7) << "0.7 s is position 7, not 6";
    spin(*d, D::kSetpointBeginSpin)->upButton()->click();
    EXPECT_EQ(edit(*d, D::kSetpointBeginEdit)->text(), "100.0");
    EXPECT_FLOAT_EQ(d->copy().setpointBegin, 100.0f);
    spin(*d, D::kSetpointBeginSpin)->upButton()->click();
    EXPECT_EQ(edit(*d, D::kSetpointBeginEdit)->text(), "100.0") << "stops at 100";
    EXPECT_EQ(spin(*d, D::kSetpointBeginSpin)->position(), 200);
    spin(*d, D::kRampTimeSpin)->upButton()->click();
    EXPECT_EQ(edit(*d, D::kRampTimeEdit)->text(), "0.8");
    EXPECT_FLOAT_EQ(d->copy().rampTime, 0.8f);
    spin(*d, D::kAcqTimeSpin)->downButton()->click();
    EXPECT_EQ(edit(*d, D::kAcqTimeEdit)->text(), "7");
    for (int i = 0; i < 10; ++i) {
        spin(*d, D::kAcqTimeSpin)->downButton()->click();
    }
    EXPECT_EQ(edit(*d, D::kAcqTimeEdit)->text(), "4") << "stops at 4";
    EXPECT_EQ(d->copy().acqTime, 4);
}

TEST_F(ScopeSetupDialogTest, StepModeEnablesTimeAndSetpoints) {
    settings.mode = ScopeSettings::StepMode;
    auto d = open();
    for (int id : {D::kAcqTimeEdit, D::kAcqTimeSpin, D::kSetpointBeginEdit, D::kSetpointBeginSpin,
                   D::kSetpointEndEdit, D::kSetpointEndSpin}) {
        EXPECT_TRUE(enabled(*d, id)) << id;
    }
    for (int id : {D::kRampTimeEdit, D::kRampTimeSpin, D::kTriggerChannel, D::kTriggerValueEdit,
                   D::kTriggerValueSpin, D::kRising, D::kFalling, D::kSampleRate}) {
        EXPECT_FALSE(enabled(*d, id)) << id;
    }
    radio(*d, D::kRampMode)->click();
    EXPECT_EQ(d->copy().mode, ScopeSettings::RampMode);
    EXPECT_TRUE(enabled(*d, D::kRampTimeEdit));
    EXPECT_TRUE(enabled(*d, D::kRampTimeSpin));
    EXPECT_FALSE(enabled(*d, D::kTriggerChannel));
}

TEST_F(ScopeSetupDialogTest, TriggerModeEnablesByTheTriggerChannel) {
    auto d = open();  // Trigger Mode, no trigger
    for (int id : {D::kAcqTimeEdit, D::kTriggerChannel, D::kSampleRate}) {
        EXPECT_TRUE(enabled(*d, id)) << id;
    }
    for (int id : {D::kSetpointBeginEdit, D::kSetpointEndSpin, D::kRampTimeEdit, D::kRising,
                   D::kFalling, D::kTriggerValueEdit, D::kTriggerValueSpin}) {
        EXPECT_FALSE(enabled(*d, id)) << id;
    }
    combo(*d, D::kTriggerChannel)->setCurrentIndex(2);  // analog channel 2
    EXPECT_EQ(d->copy().triggerChannel, 2);
    for (int id : {D::kRising, D::kFalling, D::kTriggerValueEdit, D::kTriggerValueSpin}) {
        EXPECT_TRUE(enabled(*d, id)) << id;
    }
    combo(*d, D::kTriggerChannel)->setCurrentIndex(6);  // binary channel 2
    EXPECT_TRUE(enabled(*d, D::kRising)) << "a binary trigger keeps its slope";
    EXPECT_TRUE(enabled(*d, D::kFalling));
    EXPECT_FALSE(enabled(*d, D::kTriggerValueEdit)) << "but has no level";
    EXPECT_FALSE(enabled(*d, D::kTriggerValueSpin));
    combo(*d, D::kSampleRate)->setCurrentIndex(4);
    EXPECT_EQ(d->copy().sampleRateIndex, 4);
}

TEST_F(ScopeSetupDialogTest, EverythingIsGreyDuringAnActionAndComesBackWithTheTimer) {
    commandWord = 0x200;  // a Trigger Mode recording
    auto d = open();
    for (QWidget* w : d->findChildren<QWidget*>()) {
        const bool control =
            qobject_cast<QComboBox*>(w) || qobject_cast<QRadioButton*>(w) ||
            qobject_cast<SpinButton*>(w) ||
            (qobject_cast<QLineEdit*>(w) && !static_cast<QLineEdit*>(w)->isReadOnly());
        if (control && w->parentWidget() != nullptr &&
            !qobject_cast<QComboBox*>(w->parentWidget())) {
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        }
    }
    EXPECT_TRUE(d->control<QPushButton>(1)->isEnabled());
    EXPECT_EQ(d->enableTimer()->interval(), 5000);
    commandWord = 0;
    d->enableTimer()->setInterval(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return enabled(*d, D::kAcqTimeEdit); }, 2000));
    EXPECT_TRUE(enabled(*d, D::kTriggerChannel));
    EXPECT_TRUE(enabled(*d, D::kStepMode));
    EXPECT_TRUE(enabled(*d, D::kAnalogCombos[0]));
}

TEST_F(ScopeSetupDialogTest, MasterAndSlaveOnlyForCascadedControl) {
    settings.masterSlave = 1;
    current.CONTROLLER_STRUCTURE = 2;
    auto d = open();
    EXPECT_FALSE(enabled(*d, D::kMaster));
    EXPECT_FALSE(enabled(*d, D::kSlave));
    EXPECT_TRUE(radio(*d, D::kMaster)->isChecked()) << "Master is selected";
    d->accept();
    EXPECT_EQ(settings.masterSlave, 0);
    EXPECT_EQ(d->modifiedFlag(), 1);
    for (std::int32_t structure : {6, 7}) {
        current.CONTROLLER_STRUCTURE = structure;
        auto e = open();
        EXPECT_TRUE(enabled(*e, D::kMaster));
        EXPECT_TRUE(enabled(*e, D::kSlave));
        radio(*e, D::kSlave)->click();
        e->accept();
        EXPECT_EQ(settings.masterSlave, 1);
    }
}

TEST_F(ScopeSetupDialogTest, OkReadsEveryControlAndReportsOnlyAChange) {
    const ScopeSettings before = settings;
    auto same = open();
    same->accept();
    EXPECT_EQ(same->modifiedFlag(), 0);
    EXPECT_EQ(std::memcmp(&before, &settings, sizeof settings), 0);

    auto d = open();
    radio(*d, D::kStepMode)->click();
    edit(*d, D::kAcqTimeEdit)->setText("12");
    edit(*d, D::kSetpointEndEdit)->setText("75.5");
    combo(*d, D::kAnalogCombos[1])->setCurrentIndex(2);
    combo(*d, D::kBinaryCombos[2])->setCurrentIndex(5);
    radio(*d, D::kFalling)->setChecked(true);
    d->accept();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->modifiedFlag(), 1);
    EXPECT_EQ(settings.mode, ScopeSettings::StepMode);
    EXPECT_EQ(settings.acqTime, 12);
    EXPECT_FLOAT_EQ(settings.setpointEnd, 75.5f);
    EXPECT_EQ(settings.analogSel(1), 2);
    EXPECT_EQ(settings.binarySel[2], 5);
    EXPECT_EQ(settings.triggerSlope, 1);
    EXPECT_FALSE(d->enableTimer()->isActive());
}

TEST_F(ScopeSetupDialogTest, SelectionsAreKeptInsideTheirNameTables) {
    // A damaged project: selections past the names of their channel.
    settings.analogSel(0) = 2;
    settings.analogSel(1) = 3;
    settings.analogSel(3) = 5;
    settings.binarySel[0] = 3;
    settings.binarySel[1] = 8;
    settings.binarySel[2] = -1;
    settings.binarySel[3] = 9;
    settings.triggerChannel = 9;
    settings.sampleRateIndex = 6;
    auto d = open();
    d->accept();
    EXPECT_EQ(d->modifiedFlag(), 1);
    // A selection is in range exactly when its channel has a name for it.
    for (int c = 0; c < 4; ++c) {
        EXPECT_NE(analogSignalNameId(c, settings.analogSel(c), false), 0) << c;
        EXPECT_NE(binarySignalNameId(settings.binarySel[c]), 0) << c;
    }
    EXPECT_EQ(settings.binarySel[0], 0);
    EXPECT_EQ(settings.binarySel[3], 4);
    EXPECT_LE(settings.triggerChannel, 8);
    EXPECT_LE(settings.sampleRateIndex, 5);
}

TEST_F(ScopeSetupDialogTest, ReadBackValuesOfTheRunningAcquisitionAreNeitherUndoneNorAChange) {
    commandWord = 0x800;
    auto d = open();
    // The acquisition confirms its settings while the dialog is open.
    settings.acqTimeRead = 8;
    settings.acqTimeReadValid = 1;
    settings.setpointBeginRead = 10.0f;
    settings.setpointBeginReadValid = 1;
    settings.analogSelReadValid = 1;
    d->accept();
    EXPECT_EQ(d->modifiedFlag(), 0) << "no change: the samples being recorded stay";
    EXPECT_EQ(settings.acqTimeRead, 8);
    EXPECT_EQ(settings.acqTimeReadValid, 1);
    EXPECT_EQ(settings.analogSelReadValid, 1);
}

TEST_F(ScopeSetupDialogTest, CancelAfterAChangeAsksAndYesKeepsTheEditedSettings) {
    auto unchanged = open();
    unchanged->reject();
    EXPECT_TRUE(boxes.shown.empty()) << "without a change Cancel closes at once";
    EXPECT_EQ(unchanged->modifiedFlag(), 0);

    auto d = open();
    d->show();
    combo(*d, D::kSampleRate)->setCurrentIndex(3);
    boxes.answers = {BoxResult::No};
    d->reject();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Data's are changed. Do you really want to cancel?");
    EXPECT_EQ(boxes.shown[0].caption, "Scope Setup");
    EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Question);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(settings.sampleRateIndex, 0);
    boxes.answers = {BoxResult::Yes};
    d->reject();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(settings.sampleRateIndex, 3) << "the edited settings are in force";
    EXPECT_EQ(d->modifiedFlag(), 1) << "and count as a change";
}

// The caption lookup every tool dialog shares, shown on this one.
TEST_F(ScopeSetupDialogTest, WithTheLanguageLibraryEveryCaptionIsLookedUp) {
    test::MarkedLibraryStrings library;
    auto d = open(&library);
    EXPECT_EQ(d->windowTitle(), "<Scope Setup>");
    EXPECT_EQ(radio(*d, D::kStepMode)->text(), "<Step Mode>");
    EXPECT_EQ(d->control<QGroupBox>(1578)->title(), "<Acquisition Time / sec>");
    EXPECT_EQ(d->control<QGroupBox>(1754)->title(), "<Master/Slave>");
    EXPECT_EQ(d->control<QPushButton>(2)->text(), "<Cancel>");
    EXPECT_EQ(combo(*d, D::kTriggerChannel)->itemText(0), "<None (Roll Mode)>");
}

}  // namespace
}  // namespace kvt
