#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "CalibrationSupport.h"
#include "calib/CalibrationMatrixDlg.h"
#include "calib/CalibrationSetupDlg.h"
#include "engine/CommandWord.h"

namespace kvt {
namespace {

using S = CCalibrationSetupDlg;
using M = CCalibrationMatrixDlg;
using test::leave;

template <typename T>
QLineEdit* edit(T& d, int id) {
    return d.template control<QLineEdit>("edit", id);
}
template <typename T>
bool enabled(T& d, const char* kind, int id) {
    return d.template control<QWidget>(kind, id)->isEnabled();
}

class CalibrationSetupDialogTest : public ::testing::Test {
  protected:
    std::unique_ptr<S> open() {
        return std::make_unique<S>(nullptr, bench.strings, bench.boxes, bench.link());
    }
    test::CalibrationBench bench;
};

TEST_F(CalibrationSetupDialogTest, DacValuesKeepTwelveBitsThroughCancel) {
    bench.record->CAL_OFFSET_WRITE = 1000;
    bench.record->CAL_SPAN_WRITE = 4095;
    auto d = open();
    EXPECT_EQ(edit(*d, S::kOffsetEdit)->text(), "1000");
    d->control<QPushButton>("button", S::kCancelId)->click();
    EXPECT_EQ(bench.record->CAL_OFFSET_WRITE, 1000);
    EXPECT_EQ(bench.record->CAL_SPAN_WRITE, 4095);
    EXPECT_EQ(d->modifiedFlag(), 0);

    auto again = open();
    edit(*again, S::kOffsetEdit)->setText("5000");
    leave(edit(*again, S::kOffsetEdit));
    EXPECT_EQ(edit(*again, S::kOffsetEdit)->text(), "4095");
    edit(*again, S::kDisplayFactorEdit)->setText("300");
    again->control<QRadioButton>("radio", 1749)->click();
    again->reject();
    EXPECT_EQ(bench.record->CAL_OFFSET_WRITE, 4095);
    EXPECT_EQ(bench.record->CAL_DISPLAY_FACTOR, 300);
    EXPECT_EQ(bench.record->CAL_DECIMAL_POINT, 3);
    EXPECT_EQ(again->modifiedFlag(), 1);
}

TEST_F(CalibrationSetupDialogTest, DeviceDecimalPointStandsOutInRed) {
    auto colour = [](S& d, int id) {
        return d.control<QRadioButton>("radio", id)->palette().color(QPalette::WindowText);
    };
    {
        auto d = open();
        EXPECT_EQ(edit(*d, S::kDecimalPointRead)->text(), " -- ");
        EXPECT_EQ(edit(*d, 1750)->text(), " -- ");
        EXPECT_EQ(edit(*d, S::kStatusRead)->text(), " -- ");
        for (int id : S::kDecimalPointRadios) {
            EXPECT_NE(colour(*d, id), QColor(Qt::red)) << id;
        }
    }
    CalibrationRecord& c = *bench.record;
    c.decimalPointRead = 2;
    c.decimalPointValid = 1;
    c.CAL_DISPLAY_FACTOR = 1234;
    c.displayFactorValid = 1;
    c.CAL_STATUS = 0xF3;
    c.CAL_STATUS_VALID = 1;
    auto d = open();
    EXPECT_EQ(edit(*d, S::kDecimalPointRead)->text(), "Middle");
    EXPECT_EQ(colour(*d, 1748), QColor(Qt::red));
    EXPECT_NE(colour(*d, 1747), QColor(Qt::red));
    EXPECT_EQ(edit(*d, 1750)->text(), "1234");
    EXPECT_EQ(edit(*d, S::kStatusRead)->text(), "243  (progress 15 / 15)");
}

TEST_F(CalibrationSetupDialogTest, ButtonsByWhatRunsAndNoReadBack) {
    auto d = open();
    struct Case {
        std::uint32_t word;
        bool cancel;
        bool temperature;
    };
    for (const Case& c : {Case{0, true, true}, Case{cmd::kStartCalibration, false, false},
                          Case{cmd::kReadStatus, true, false}}) {
        bench.word = c.word;
        d->tick();
        EXPECT_EQ(enabled(*d, "button", S::kCancelId), c.cancel) << c.word;
        EXPECT_EQ(enabled(*d, "edit", S::kTemperatureEdit), c.temperature) << c.word;
    }
    bench.word = 0;
    d->onNotification(0x23, 0);
    EXPECT_TRUE(bench.posted.empty());
}

class CalibrationMatrixDialogTest : public ::testing::Test {
  protected:
    std::unique_ptr<M> open() {
        return std::make_unique<M>(nullptr, bench.strings, bench.boxes, bench.link());
    }
    test::CalibrationBench bench;
};

TEST_F(CalibrationMatrixDialogTest, CancelKeepsTheEdits) {
    auto d = open();
    EXPECT_EQ(d->windowTitle(), "Calibration Matrix");
    EXPECT_EQ(d->findChild<QLineEdit*>(QStringLiteral("edit%1").arg(S::kOffsetEdit)), nullptr);
    d->control<QRadioButton>("radio", 1309)->click();
    edit(*d, M::kValueEdits[4])->setText("42");
    d->control<QPushButton>("button", M::kCancelId)->click();
    EXPECT_EQ(bench.record->CAL_MATRIX_WRITE[2][0][4], 42);
    EXPECT_EQ(d->modifiedFlag(), 1);
}

TEST_F(CalibrationMatrixDialogTest, AnyRunningActionLocksTheMatrix) {
    bench.completeRead();
    auto d = open();
    EXPECT_TRUE(enabled(*d, "button", M::kReadButton));
    EXPECT_FALSE(enabled(*d, "button", M::kWriteButton)) << "not before Copy";
    bench.writeAllowed = 1;
    d->tick();
    EXPECT_TRUE(enabled(*d, "button", M::kWriteButton));
    for (std::uint32_t word : {cmd::kReadStatus, cmd::kReadMatrix, cmd::kStartCalibration}) {
        bench.word = word;
        d->tick();
        for (int id : M::kValueEdits) {
            EXPECT_FALSE(enabled(*d, "edit", id)) << word;
        }
        for (int id : M::kArrayRadios) {
            EXPECT_FALSE(enabled(*d, "radio", id)) << word;
        }
        EXPECT_FALSE(enabled(*d, "button", M::kReadButton)) << word;
        EXPECT_EQ(enabled(*d, "button", M::kCancelId), word == cmd::kReadStatus) << word;
    }
}

}  // namespace
}  // namespace kvt
