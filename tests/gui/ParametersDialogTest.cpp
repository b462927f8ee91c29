// The Parameters dialog and its pages, offscreen: buttons per engine state, the write-allowed
// flag, compare-and-store, the device column and the page rules as the controls show them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <cmath>

#include "ParameterSupport.h"
#include "engine/CommandWord.h"
#include "engine/Notifier.h"
#include "paramui/ParameterPage.h"
#include "paramui/ParameterPropertySheets.h"
#include "widgets/ColorButton.h"
#include "widgets/SpinButton.h"

namespace kvt {
namespace {

using D = CParametersDlg;
using test::leave;

const QColor kRed(CColorButton::kDiffersColour);
const QColor kGrey(CColorButton::kDefaultColour);

class ParametersDialogTest : public ::testing::Test {
  protected:
    static bool enabled(D& d, const char* kind, int id) {
        QWidget* w = d.control<QWidget>(kind, id);
        EXPECT_NE(w, nullptr) << kind << id;
        return w != nullptr && w->isEnabled();
    }
    static QLineEdit* edit(D& d, int id) { return d.control<QLineEdit>("edit", id); }
    static CColorButton* radio(D& d, int id) { return d.control<CColorButton>("radio", id); }
    static void click(D& d, const char* kind, int id) {
        d.control<QAbstractButton>(kind, id)->click();
    }
    static QString typed(D& d, int id, const QString& text) {
        edit(d, id)->setText(text);
        leave(edit(d, id));
        return edit(d, id)->text();
    }
    static void step(D& d, int spin, bool up) {
        auto* s = d.control<SpinButton>("spin", spin);
        (up ? s->upButton() : s->downButton())->click();
    }

    test::ParameterBench bench;
};

// ---------------------------------------------------------------------------------------------
// Buttons by the engine's state, the set chosen, the write-allowed flag and the device set

TEST_F(ParametersDialogTest, ButtonsFollowTheCommandWordTheSetAndTheFlags) {
    struct Case {
        std::uint32_t word;
        std::int32_t parameterSet;
        std::uint8_t writeAllowed;
        bool deviceValid;
        bool read, write, copy, sets;
    };
    const Case cases[] = {
        {0, 0, 0, false, true, false, false, true},
        {0, 0, 1, false, true, true, false, true},
        {0, 0, 1, true, true, true, true, true},
        {0, 1, 1, true, true, false, true, true},
        // The factory set without a read offers nothing to copy.
        {0, 1, 0, false, true, false, false, true},
        {cmd::kReadParameter, 0, 1, true, false, false, false, false},
        {cmd::kWriteParameter, 0, 1, true, false, false, false, false},
        {cmd::kCustomFactorySet, 1, 1, true, false, false, false, false},
        {cmd::kReadStatus, 0, 1, true, false, false, false, false},
    };
    for (const Case& c : cases) {
        bench.word = c.word;
        bench.sets->currentSet.PARAMETER_SET = c.parameterSet;
        bench.writeAllowed = c.writeAllowed;
        bench.sets->deviceSet.VALID = c.deviceValid ? 1 : 0;
        auto d = bench.open();
        SCOPED_TRACE(testing::Message() << "word " << c.word << " set " << c.parameterSet);
        EXPECT_EQ(enabled(*d, "button", D::kReadButton), c.read);
        EXPECT_EQ(enabled(*d, "button", D::kWriteButton), c.write);
        EXPECT_EQ(enabled(*d, "button", D::kCopyButton), c.copy);
        EXPECT_EQ(enabled(*d, "radio", D::kFactoryRadio), c.sets);
        EXPECT_EQ(enabled(*d, "radio", D::kCustomRadio), c.sets);
        EXPECT_TRUE(enabled(*d, "button", D::kCancelId));
        // The page controls follow the same state.
        EXPECT_EQ(enabled(*d, "edit", 1366), c.word == 0 && c.parameterSet == 0);
        // The five-second timer catches up with an action started elsewhere.
        bench.word = cmd::kReadStatus;
        d->onTimer(D::kButtonTimer);
        EXPECT_FALSE(enabled(*d, "button", D::kReadButton));
        EXPECT_FALSE(enabled(*d, "edit", 1366));
        d.reset();
    }
}

TEST_F(ParametersDialogTest, WriteIsAllowedAfterAProjectOrCopyButNotAfterAReadOrASwitch) {
    bench.writeAllowed = 1;  // a project was opened
    auto d = bench.open();
    EXPECT_TRUE(enabled(*d, "button", D::kWriteButton));

    click(*d, "button", D::kReadButton);
    EXPECT_EQ(bench.posted, std::vector<std::uint32_t>{cmd::kReadParameter});
    EXPECT_EQ(bench.writeAllowed, 0);
    bench.completeRead(test::inRangeSet());
    bench.engineDone(*d, notify::kParametersRead);
    EXPECT_FALSE(enabled(*d, "button", D::kWriteButton));
    EXPECT_TRUE(enabled(*d, "button", D::kCopyButton));

    click(*d, "button", D::kCopyButton);
    EXPECT_EQ(bench.writeAllowed, 1);
    EXPECT_EQ(d->modifiedFlag(), 1);
    EXPECT_TRUE(enabled(*d, "button", D::kWriteButton));

    click(*d, "radio", D::kFactoryRadio);
    EXPECT_EQ(bench.writeAllowed, 0);
    EXPECT_EQ(bench.posted.back(), cmd::kCustomFactorySet | cmd::kReadParameter);
    EXPECT_EQ(bench.sets->currentSet.PARAMETER_SET, 1);
    bench.sets->deviceSet.PARAMETER_SET = 1;
    bench.engineDone(*d, notify::kParametersRead);
    EXPECT_TRUE(radio(*d, D::kFactoryRadio)->isChecked());
    EXPECT_FALSE(radio(*d, D::kCustomRadio)->isChecked());
    // The factory set: nothing to write or edit, but the device set may still be copied.
    EXPECT_FALSE(enabled(*d, "button", D::kWriteButton));
    EXPECT_TRUE(enabled(*d, "button", D::kCopyButton));
    EXPECT_FALSE(enabled(*d, "edit", 1366));
    EXPECT_FALSE(enabled(*d, "radio", 1855));

    click(*d, "radio", D::kCustomRadio);
    EXPECT_EQ(bench.posted.back(), cmd::kCustomFactorySetAlt | cmd::kReadParameter);
    EXPECT_EQ(bench.sets->currentSet.PARAMETER_SET, 0);
}

// ---------------------------------------------------------------------------------------------
// Compare and store, and the modified flag

TEST_F(ParametersDialogTest, ClosingUnchangedLeavesTheFlagClearAndOneEditSetsIt) {
    const ParameterRecord before = bench.sets->currentSet;
    auto d = bench.open();
    d->reject();
    EXPECT_EQ(d->modifiedFlag(), 0);
    EXPECT_EQ(bench.sets->currentSet, before);

    auto e = bench.open();
    edit(*e, 1366)->setText(QStringLiteral("4.5"));
    e->reject();
    EXPECT_EQ(e->modifiedFlag(), 1);
    EXPECT_FLOAT_EQ(bench.sets->currentSet.PROPORTIONAL_GAIN, 4.5f);

    // The set is compared as stored: a -0.0 that the page writes back as 0.0 changes the file.
    bench.sets->currentSet.FORWARD_GAIN = -0.0f;
    auto f = bench.open();
    f->reject();
    EXPECT_EQ(f->modifiedFlag(), 1);
    EXPECT_FALSE(std::signbit(bench.sets->currentSet.FORWARD_GAIN));
}

TEST_F(ParametersDialogTest, AFirstCloseBringsAZeroSetIntoThePagesRanges) {
    bench.sets->currentSet = ParameterRecord{};
    auto d = bench.open();
    d->reject();
    EXPECT_EQ(d->modifiedFlag(), 1);
    // One page clamp and the opening fix-up; the rules themselves are unit-tested.
    EXPECT_FLOAT_EQ(bench.sets->currentSet.SHUT_OFF_LEVEL, 0.2f);
    EXPECT_FLOAT_EQ(bench.sets->currentSet.SLAVE_GAIN, 0.01f);
    // A second close finds nothing more to change.
    auto again = bench.open();
    again->reject();
    EXPECT_EQ(again->modifiedFlag(), 0);
}

TEST_F(ParametersDialogTest, ReadStoresAnEditMadeBeforeItAndMarksTheProject) {
    auto d = bench.open();
    edit(*d, 1380)->setText(QStringLiteral("77"));
    click(*d, "button", D::kReadButton);
    EXPECT_EQ(bench.sets->currentSet.DERIVATION_TIME, 77);
    EXPECT_EQ(d->modifiedFlag(), 1);
}

TEST_F(ParametersDialogTest, WriteStoresTheSetBeforeTheBitAndAsksForTheReadBackWhenDone) {
    bench.writeAllowed = 1;
    auto d = bench.open();
    edit(*d, 1386)->setText(QStringLiteral("250"));
    click(*d, "button", D::kWriteButton);
    EXPECT_EQ(bench.sets->currentSet.CONTROL_CYCLE_TIME, 100);
    EXPECT_EQ(edit(*d, 1386)->text(), "100");
    EXPECT_EQ(bench.posted, std::vector<std::uint32_t>{cmd::kWriteParameter});
    EXPECT_EQ(d->modifiedFlag(), 1);
    // While it runs a second click stores the edits but sends nothing.
    click(*d, "button", D::kWriteButton);
    EXPECT_EQ(bench.posted.size(), 1u);

    bench.completeRead(bench.sets->currentSet);
    bench.engineDone(*d, notify::kParametersWritten);
    EXPECT_EQ(bench.posted.back(), cmd::kReadParameter);
    EXPECT_EQ(edit(*d, 1387)->text(), "100");
}

TEST_F(ParametersDialogTest, CopyNeedsACompleteReadEvenWithTheFactorySetChosen) {
    bench.sets->currentSet.PARAMETER_SET = 1;
    bench.sets->deviceSet.PROPORTIONAL_GAIN = 9.0f;  // a half-finished read
    auto d = bench.open();
    EXPECT_FALSE(enabled(*d, "button", D::kCopyButton));
    click(*d, "button", D::kCopyButton);
    EXPECT_EQ(bench.writeAllowed, 0);
    EXPECT_FLOAT_EQ(bench.sets->currentSet.PROPORTIONAL_GAIN, 2.0f);
}

// ---------------------------------------------------------------------------------------------
// The device column

TEST_F(ParametersDialogTest, TheDeviceColumnShowsDashesUntilAReadThenMarksWhatDiffersInRed) {
    ParameterRecord device = test::inRangeSet();
    device.ANALOG_OUT_SELECT = 5;
    device.AUTO_ZERO_VALUE_ANALOG_IN_2 = 123;
    bench.sets->currentSet.ANALOG_OUT_SELECT = 3;
    bench.sets->deviceSet = device;  // not marked valid
    auto d = bench.open();
    CParameterPropertySheets& sheet = d->sheet();
    for (int id : {1361, 1854, 1813, 1438}) {  // a number, a count, a word, a choice
        EXPECT_EQ(edit(*d, id)->text(), " -- ") << id;
    }
    for (CColorButton* r : sheet.findChildren<CColorButton*>()) {
        EXPECT_EQ(r->colour(), kGrey) << r->objectName().toStdString();
    }
    for (int tab = 0; tab < sheet.count(); ++tab) {
        EXPECT_FALSE(sheet.marked(tab));
    }

    bench.completeRead(device);
    bench.engineDone(*d, notify::kParametersRead);
    EXPECT_EQ(edit(*d, 1438)->text(), "I-Value (yi)");
    EXPECT_EQ(edit(*d, 1813)->text(), "123");
    EXPECT_EQ(radio(*d, 1435)->colour(), kRed);
    EXPECT_EQ(radio(*d, 1433)->colour(), kGrey);
    EXPECT_TRUE(radio(*d, 1433)->isChecked());
    auto tabOf = [&sheet](int templateId) {
        for (int tab = 0; tab < sheet.count(); ++tab) {
            if (static_cast<CParameterPage*>(sheet.widget(tab))->table().templateId == templateId) {
                return tab;
            }
        }
        return -1;
    };
    EXPECT_TRUE(sheet.marked(tabOf(358)));
    EXPECT_FALSE(sheet.marked(tabOf(120)));
    // Choosing the device's value takes the colour and the marker away.
    click(*d, "radio", 1435);
    EXPECT_EQ(radio(*d, 1435)->colour(), kGrey);
    EXPECT_FALSE(sheet.marked(tabOf(358)));
    typed(*d, 1366, QStringLiteral("3.0"));
    EXPECT_TRUE(sheet.marked(tabOf(120)));
}

TEST_F(ParametersDialogTest, AReadTakesTheParameterSetFromTheDeviceAndFillsTheColumn) {
    auto d = bench.open();
    ParameterRecord device = test::inRangeSet();
    device.PARAMETER_SET = 1;
    device.FORWARD_OFFSET = 33;
    click(*d, "button", D::kReadButton);
    bench.completeRead(device);
    bench.engineDone(*d, notify::kParametersRead);
    EXPECT_TRUE(radio(*d, D::kFactoryRadio)->isChecked());
    EXPECT_EQ(d->dialogCopy().PARAMETER_SET, 1);
    EXPECT_EQ(edit(*d, 1361)->text(), "33");
    EXPECT_EQ(edit(*d, 1360)->text(), "10");  // the set's own value stays
}

// ---------------------------------------------------------------------------------------------
// Numeric fields: parse, clamp, grid, spins and tooltips

TEST_F(ParametersDialogTest, AnEditLosingTheFocusIsParsedClampedAndWrittenBack) {
    bench.sets->currentSet.CONTROLLER_STRUCTURE = 7;
    bench.sets->currentSet.SETPOINT_ADJUSTMENT = 1;
    auto d = bench.open();
    struct Case {
        int edit;
        const char* typed;
        const char* shown;
    };
    // One row per way of writing back; the field-by-field rules are unit-tested.
    const Case cases[] = {
        {1360, "500", "80"}, {1369, "12", "10.00"}, {1422, "-60", "-50"}, {1852, "7", "007"},
        {1386, "-5", "1"},   {1584, "abc", "0.0"},  {1831, "25", "20.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(typed(*d, c.edit, QString::fromLatin1(c.typed)).toStdString(), c.shown)
            << c.edit << " " << c.typed;
    }
    EXPECT_FLOAT_EQ(d->dialogCopy().INTEGRATION_TIME, 10.0f);
    EXPECT_EQ(d->dialogCopy().RANGE_SENSOR, 7);
    EXPECT_EQ(d->dialogCopy().SETPOINT_OFFSET, -50);
    // Each numeric edit tells its range and unit.
    EXPECT_EQ(edit(*d, 1369)->toolTip(), "0.05 .. 10.00 sec");
}

TEST_F(ParametersDialogTest, SpinsStepByTheirFieldsStepAndStopAtTheirBounds) {
    bench.sets->currentSet.FORWARD_OFFSET = 80;
    bench.sets->currentSet.LIMIT_SIZE = 10.0f;
    bench.sets->currentSet.CONTROLLER_STRUCTURE = 7;
    bench.sets->currentSet.SETPOINT_ADJUSTMENT = 1;
    auto d = bench.open();
    step(*d, 1378, true);
    EXPECT_EQ(edit(*d, 1360)->text(), "80");
    step(*d, 1378, false);
    EXPECT_EQ(edit(*d, 1360)->text(), "79");
    EXPECT_EQ(d->dialogCopy().FORWARD_OFFSET, 79);
    step(*d, 1543, true);
    EXPECT_EQ(edit(*d, 1584)->text(), "10.5");
    EXPECT_FLOAT_EQ(d->dialogCopy().LIMIT_SIZE, 10.5f);
    step(*d, 1461, false);
    EXPECT_EQ(edit(*d, 1422)->text(), "-1");
    // The caret goes to the end, ready for typing.
    EXPECT_EQ(edit(*d, 1422)->cursorPosition(), 2);
}

// ---------------------------------------------------------------------------------------------
// Page rules as the controls show them

TEST_F(ParametersDialogTest, CascadedControlRenamesTheForwardFieldsAndReachesTheCurrentSet) {
    bench.sets->currentSet.FORWARD_GAIN = 1.5f;
    auto d = bench.open();
    auto* offset = d->control<QLabel>("static", 1359);
    EXPECT_EQ(offset->text(), "Forward Offset / %");
    EXPECT_FALSE(enabled(*d, "edit", 1360));
    EXPECT_FALSE(enabled(*d, "radio", 1388));  // only three structures can be chosen
    click(*d, "radio", 1634);
    EXPECT_EQ(offset->text(), "Slave Offset / %");
    EXPECT_EQ(d->control<QLabel>("static", 1362)->text(), "Slave Gain");
    EXPECT_EQ(bench.sets->currentSet.CONTROLLER_STRUCTURE, 6);
    EXPECT_EQ(d->modifiedFlag(), 1);
    d->onTimer(D::kButtonTimer);
    EXPECT_TRUE(enabled(*d, "edit", 1360));
    // In structure 6 the gain spin steps the slave gain (0.5), whatever the forward gain.
    leave(edit(*d, 1363));
    step(*d, 1570, true);
    EXPECT_FLOAT_EQ(d->dialogCopy().SLAVE_GAIN, 0.51f);
    click(*d, "radio", 1632);
    EXPECT_EQ(offset->text(), "Forward Offset / %");
}

TEST_F(ParametersDialogTest, ACurrentFeedbackDerivesOffsetAndSpanAndKeepsThemForAZeroMaximum) {
    bench.sets->currentSet.FEEDBACK_SELECT = 3;
    bench.sets->currentSet.SETPOINT_OFFSET = 7;
    bench.sets->currentSet.SETPOINT_SPAN = 93;
    auto d = bench.open();
    EXPECT_EQ(edit(*d, 1422)->text(), "20");
    EXPECT_EQ(edit(*d, 1428)->text(), "80");
    EXPECT_TRUE(radio(*d, 1413)->isChecked());
    EXPECT_FALSE(enabled(*d, "radio", 1412));
    EXPECT_FALSE(enabled(*d, "radio", 1413));
    EXPECT_FALSE(enabled(*d, "edit", 1422));
    EXPECT_TRUE(enabled(*d, "edit", 1797));

    typed(*d, 1797, QStringLiteral("1000"));
    EXPECT_EQ(edit(*d, 1422)->text(), "50");
    EXPECT_EQ(bench.sets->currentSet.SETPOINT_OFFSET, 50);
    EXPECT_EQ(bench.sets->currentSet.SETPOINT_SPAN, 50);
    // A zero maximum would divide by zero: the offset and span stay.
    typed(*d, 1801, QStringLiteral("0"));
    d->onTimer(D::kButtonTimer);
    EXPECT_EQ(d->dialogCopy().SETPOINT_OFFSET, 50);
    EXPECT_EQ(edit(*d, 1422)->text(), "50");
    d->reject();
    EXPECT_EQ(bench.sets->currentSet.CURRENT_MAX, 0);
    EXPECT_EQ(bench.sets->currentSet.SETPOINT_SPAN, 50);
}

TEST_F(ParametersDialogTest, RadiosAndRulesOfTheOtherPagesEnableTheirFields) {
    bench.sets->currentSet.DISPLAY_SELECT = 3;
    bench.sets->currentSet.RAMP_FUNCTION = 0;
    bench.sets->currentSet.SETPOINT_ADJUSTMENT = 0;
    auto d = bench.open();
    EXPECT_FALSE(enabled(*d, "edit", 1852));
    EXPECT_FALSE(enabled(*d, "edit", 1424));
    EXPECT_FALSE(enabled(*d, "spin", 1464));
    EXPECT_FALSE(enabled(*d, "edit", 1428));
    EXPECT_FALSE(enabled(*d, "radio", 1806));  // "PWM Setpoint" never
    EXPECT_FALSE(enabled(*d, "radio", 1777));  // "SPI" never
    click(*d, "radio", 1855);
    click(*d, "radio", 1417);
    click(*d, "radio", 1413);
    d->onTimer(D::kButtonTimer);
    EXPECT_TRUE(enabled(*d, "edit", 1852));
    EXPECT_TRUE(enabled(*d, "edit", 1424));
    EXPECT_TRUE(enabled(*d, "edit", 1428));
    // A hidden flag disables the field whatever the rules say.
    bench.sets->visible.fill(0);
    d->onTimer(D::kButtonTimer);
    EXPECT_FALSE(enabled(*d, "edit", 1366));
    EXPECT_FALSE(enabled(*d, "radio", 1855));
}

TEST_F(ParametersDialogTest, TemplateHiddenControlsStayHiddenButAreSaved) {
    bench.sets->currentSet.PWM_FREQUENCY = 5;
    bench.sets->currentSet.SETPOINT_SELECTION = 4;  // "Frequency": a hidden radio
    auto d = bench.open();
    d->show();
    EXPECT_FALSE(edit(*d, 1384)->isVisible());
    EXPECT_FALSE(d->control<QWidget>("spin", 1391)->isVisible());
    EXPECT_FALSE(radio(*d, 1808)->isVisible());
    d->reject();
    EXPECT_EQ(bench.sets->currentSet.PWM_FREQUENCY, 20);
    EXPECT_EQ(bench.sets->currentSet.SETPOINT_SELECTION, 4);
}

TEST_F(ParametersDialogTest, TheLanguageLibraryGivesTheCaptions) {
    test::MarkedLibraryStrings library;
    auto d = std::make_unique<D>(nullptr, library, bench.boxes, bench.link());
    EXPECT_EQ(d->windowTitle(), "<Parameters>");
    EXPECT_EQ(d->control<QLabel>("static", 1359)->text(), "<Forward Offset / %>");
    EXPECT_EQ(d->control<QGroupBox>("static", 1374)->title(), "<Controller Structure>");
    EXPECT_EQ(radio(*d, 1546)->text(), "<Off>");
    EXPECT_EQ(d->sheet().tabText(0), "<Control>");
}

TEST_F(ParametersDialogTest, TheWaitCursorShowsWhileTheSetTravels) {
    auto d = bench.open();
    bench.word = cmd::kReadParameter;
    d->onTimer(D::kCursorTimer);
    EXPECT_TRUE(d->waitCursorShown());
    EXPECT_NE(QApplication::overrideCursor(), nullptr);
    bench.word = cmd::kReadStatus;
    d->onTimer(D::kCursorTimer);
    EXPECT_FALSE(d->waitCursorShown());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace kvt
