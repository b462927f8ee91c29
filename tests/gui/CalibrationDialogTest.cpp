#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "CalibrationSupport.h"
#include "calib/CalibrationDlg.h"
#include "calib/StartCalibrationDialog.h"
#include "engine/CommandWord.h"

namespace kvt {
namespace {

using D = CCalibrationDlg;
using test::leave;

class CalibrationDialogTest : public ::testing::Test {
  protected:
    std::unique_ptr<D> open() {
        auto d = std::make_unique<D>(nullptr, bench.strings, bench.boxes, bench.link());
        d->setStartQuestion([this](std::int32_t mode) {
            askedMode = mode;
            return answer;
        });
        return d;
    }
    static bool enabled(D& d, const char* kind, int id) {
        return d.control<QWidget>(kind, id)->isEnabled();
    }
    static QLineEdit* edit(D& d, int id) { return d.control<QLineEdit>("edit", id); }
    static void click(D& d, const char* kind, int id) {
        d.control<QAbstractButton>(kind, id)->click();
    }
    static QString label(D& d, int i) {
        return d.control<QLabel>("static", D::kValueLabels[static_cast<std::size_t>(i)])->text();
    }
    // The engine finishing what was posted.
    void engineDone(D& d, int code, std::intptr_t value = 0) {
        bench.word = 0;
        d.onNotification(code, value);
    }

    test::CalibrationBench bench;
    std::optional<std::int32_t> answer;
    std::int32_t askedMode = -1;
};

TEST_F(CalibrationDialogTest, WriteAndCopyWaitForACompleteReadAndCopy) {
    auto d = open();
    EXPECT_TRUE(enabled(*d, "button", D::kReadButton));
    EXPECT_FALSE(enabled(*d, "button", D::kWriteButton));
    EXPECT_FALSE(enabled(*d, "button", D::kCopyButton));
    EXPECT_EQ(edit(*d, 1138)->text(), " -- ");
    EXPECT_EQ(edit(*d, D::kReadValues[0])->text(), " -- ");

    click(*d, "button", D::kReadButton);
    EXPECT_EQ(bench.posted, std::vector<std::uint32_t>{cmd::kReadMatrix});
    EXPECT_FALSE(enabled(*d, "button", D::kReadButton));
    EXPECT_FALSE(enabled(*d, "button", D::kCancelId));
    bench.completeRead();
    engineDone(*d, 0x22);
    EXPECT_TRUE(enabled(*d, "button", D::kCopyButton));
    EXPECT_FALSE(enabled(*d, "button", D::kWriteButton));
    EXPECT_EQ(edit(*d, 1140)->text(), "1000");
    EXPECT_EQ(edit(*d, D::kReadValues[3])->text(), "3");

    click(*d, "button", D::kCopyButton);
    EXPECT_TRUE(enabled(*d, "button", D::kWriteButton));
    EXPECT_EQ(bench.writeAllowed, 1);
    EXPECT_EQ(d->modifiedFlag(), 1);
    const CalibrationRecord& c = *bench.record;
    EXPECT_EQ(c.CAL_OFFSET_WRITE, 1000);
    EXPECT_EQ(c.CAL_SPAN_WRITE, 3000);
    EXPECT_EQ(c.CAL_TEMP_WRITE, 23);
    EXPECT_EQ(c.CAL_MATRIX_WRITE[7][9][9], (799) & 0xFF);
    EXPECT_EQ(c.CAL_MATRIX_WRITE[6][4][0], 640 & 0xFF);
    EXPECT_EQ(edit(*d, D::kOffsetEdit)->text(), "1000");
}

TEST_F(CalibrationDialogTest, SensorSpanRowOfThirtyDegreesEditsRowFiveOfArraySeven) {
    auto d = open();
    click(*d, "radio", 1134);
    click(*d, "radio", 1348);
    EXPECT_EQ(d->control<QRadioButton>("radio", 1348)->text(), "30 \u00B0C ... 39 \u00B0C");
    EXPECT_EQ(label(*d, 0), " 30 \u00B0C");
    EXPECT_EQ(label(*d, 9), " 39 \u00B0C");
    EXPECT_TRUE(d->control<QRadioButton>("radio", 1348)->isChecked());
    EXPECT_FALSE(d->control<QRadioButton>("radio", 1342)->isChecked());
    edit(*d, D::kValueEdits[0])->setText("77");
    leave(edit(*d, D::kValueEdits[0]));
    // Another row and back: the value stays with its row.
    click(*d, "radio", 1349);
    EXPECT_EQ(edit(*d, D::kValueEdits[0])->text(), "0");
    click(*d, "radio", 1348);
    EXPECT_EQ(edit(*d, D::kValueEdits[0])->text(), "77");
    d->reject();
    EXPECT_EQ(bench.record->CAL_MATRIX_WRITE[7][5][0], 77);
    EXPECT_EQ(bench.record->CAL_ARRAY_SELECT, 7);
    EXPECT_EQ(bench.record->CAL_ROW_SELECT, 5);
    EXPECT_EQ(d->modifiedFlag(), 1);
}

TEST_F(CalibrationDialogTest, DisplayCountsInPercentWithoutTemperatureRows) {
    auto d = open();
    click(*d, "radio", 1134);
    click(*d, "radio", 1132);
    for (int id : D::kRowRadios) {
        EXPECT_FALSE(enabled(*d, "radio", id)) << id;
        EXPECT_FALSE(d->control<QRadioButton>("radio", id)->isChecked()) << id;
    }
    EXPECT_EQ(label(*d, 0), " 10 %");
    EXPECT_EQ(label(*d, 9), " 100 %");
    click(*d, "radio", 1142);
    EXPECT_TRUE(enabled(*d, "radio", 1342));
    EXPECT_TRUE(d->control<QRadioButton>("radio", 1342)->isChecked());
    EXPECT_EQ(label(*d, 0), " -20 \u00B0C");
}

TEST_F(CalibrationDialogTest, ValuesTakeThreeCharactersAndAByte) {
    auto d = open();
    d->show();
    QLineEdit* value = edit(*d, D::kValueEdits[2]);
    value->clear();
    QTest::keyClicks(value, "3000");
    EXPECT_EQ(value->text(), "300");
    leave(value);
    EXPECT_EQ(value->text(), "255");
    edit(*d, D::kOffsetEdit)->setText("5000");
    leave(edit(*d, D::kOffsetEdit));
    EXPECT_EQ(edit(*d, D::kOffsetEdit)->text(), "4095");
    edit(*d, D::kTemperatureEdit)->setText("41");
    d->reject();
    EXPECT_EQ(bench.record->CAL_MATRIX_WRITE[0][0][2], 255);
    EXPECT_EQ(bench.record->CAL_OFFSET_WRITE, 4095);
    EXPECT_EQ(bench.record->CAL_TEMP_WRITE, 40);
}

TEST_F(CalibrationDialogTest, WriteIsFollowedByOneReadBack) {
    bench.completeRead();
    bench.writeAllowed = 1;
    auto d = open();
    edit(*d, D::kValueEdits[0])->setText("12");
    click(*d, "button", D::kWriteButton);
    EXPECT_EQ(bench.record->CAL_MATRIX_WRITE[0][0][0], 12);
    engineDone(*d, 0x23);
    EXPECT_EQ(bench.posted, (std::vector<std::uint32_t>{cmd::kWriteMatrix, cmd::kReadMatrix}));
    // A write that ends while something else runs is not read back.
    bench.posted.clear();
    bench.word = cmd::kReadStatus;
    d->onNotification(0x23, 0);
    EXPECT_TRUE(bench.posted.empty());
}

TEST_F(CalibrationDialogTest, BusyEngineLocksTheDialogByWhatRuns) {
    auto d = open();
    struct Case {
        std::uint32_t word;
        bool closeAndDacs;
    };
    for (const Case& c : {Case{cmd::kReadMatrix, false}, Case{cmd::kWriteMatrix, false},
                          Case{cmd::kCheckCalibration, false}, Case{cmd::kReadStatus, true}}) {
        bench.word = c.word;
        d->tick();
        for (int id : {D::kReadButton, D::kWriteButton, D::kCopyButton}) {
            EXPECT_FALSE(enabled(*d, "button", id)) << c.word;
        }
        EXPECT_FALSE(enabled(*d, "radio", D::kArrayRadios[0])) << c.word;
        EXPECT_FALSE(enabled(*d, "edit", D::kValueEdits[0])) << c.word;
        EXPECT_FALSE(enabled(*d, "edit", D::kTemperatureEdit)) << c.word;
        EXPECT_EQ(enabled(*d, "button", D::kCancelId), c.closeAndDacs) << c.word;
        EXPECT_EQ(enabled(*d, "edit", D::kSpanEdit), c.closeAndDacs) << c.word;
    }
    // Esc does not leave while the dialog follows an action.
    bench.word = cmd::kReadMatrix;
    d->tick();
    d->show();
    d->reject();
    EXPECT_TRUE(d->isVisible());
}

TEST_F(CalibrationDialogTest, StartedCalibrationIsCheckedUntilOneStopAtFifteen) {
    bench.record->CAL_MODE = 1;
    answer = 2;
    auto d = open();
    d->findChild<QPushButton*>(D::startButtonName())->click();
    EXPECT_EQ(askedMode, 1);
    EXPECT_EQ(bench.record->CAL_MODE, 2);
    EXPECT_TRUE(d->calibrationRunning());
    EXPECT_EQ(bench.posted, std::vector<std::uint32_t>{cmd::kStartCalibration});
    EXPECT_EQ(d->findChild<QPushButton*>(D::startButtonName())->text(), "Stop Calibration");
    d->tick();  // the start still runs: no check on top of it
    EXPECT_EQ(bench.count(cmd::kCheckCalibration), 0);
    engineDone(*d, 0x20, 0);
    for (int progress : {3, 9, 15}) {
        d->tick();
        EXPECT_EQ(bench.posted.back(), cmd::kCheckCalibration);
        engineDone(*d, 0x26, progress);
        EXPECT_EQ(d->findChild<QProgressBar*>(D::progressBarName())->value(), progress);
    }
    d->tick();
    d->tick();
    EXPECT_EQ(bench.count(cmd::kStopCalibration), 1);
    EXPECT_EQ(bench.count(cmd::kCheckCalibration), 3);
    EXPECT_FALSE(d->calibrationRunning());
}

TEST_F(CalibrationDialogTest, DeclinedStartOrFailureEndsNothingOrThePolling) {
    auto d = open();
    d->findChild<QPushButton*>(D::startButtonName())->click();
    EXPECT_TRUE(bench.posted.empty());
    answer = 0;
    d->findChild<QPushButton*>(D::startButtonName())->click();
    EXPECT_TRUE(d->calibrationRunning());
    engineDone(*d, 3);
    EXPECT_FALSE(d->calibrationRunning());
    d->tick();
    EXPECT_EQ(bench.posted, std::vector<std::uint32_t>{cmd::kStartCalibration});
    // The button stops a running calibration at once.
    d->findChild<QPushButton*>(D::startButtonName())->click();
    engineDone(*d, 0x20, 0);
    d->findChild<QPushButton*>(D::startButtonName())->click();
    EXPECT_EQ(bench.posted.back(), cmd::kStopCalibration);
    EXPECT_FALSE(d->calibrationRunning());
}

TEST(StartCalibrationDialogTest, OffersTheThreeModesAndWarnsThatTheValveMoves) {
    StringTable strings;
    for (const auto& [given, shown] : {std::pair{0, 0}, {1, 1}, {2, 2}, {5, 0}, {-1, 0}}) {
        StartCalibrationDialog d(nullptr, strings, given);
        EXPECT_EQ(d.mode(), shown) << given;
    }
    StartCalibrationDialog d(nullptr, strings, 0);
    d.findChild<QRadioButton*>(StartCalibrationDialog::modeRadioName(2))->click();
    EXPECT_EQ(d.mode(), 2);
    EXPECT_EQ(d.findChild<QRadioButton*>(StartCalibrationDialog::modeRadioName(0))->text(),
              "No Compensation");
    EXPECT_TRUE(d.findChild<QLabel*>("caution")->text().contains("valve moves"));
}

}  // namespace
}  // namespace kvt
