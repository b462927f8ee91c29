// The calibration dialog on the main window against kvt-devsim: what its buttons send and what
// the emulator then holds.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <chrono>

#include "GuiTestSupport.h"
#include "calib/CalibrationDlg.h"
#include "support/Devsim.h"

namespace kvt {
namespace {

using namespace std::chrono_literals;
using D = CCalibrationDlg;

class CalibrationDevsimTest : public test::FrameFixture {
  protected:
    CalibrationDevsimTest() : FrameFixture("kvt-calib-") {}

    CMainFrame& start() {
        CMainFrame::Environment env = frameEnvironment();
        env.switches.calibration = true;
        env.deviceOverride = sim.terminalPath();
        env.timing = LinkTiming{1000, 400, 20, 4};
        // The first action finds the rate with the baud-rate test, as at every start.
        return openFrame(std::move(env));
    }
    static bool waitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds timeout = 30s) {
        return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
    }
    int heard(const std::string& mnemonic) {
        return static_cast<int>(sim.received(mnemonic).size());
    }
    std::string memory(int address) {
        QString reply = QString::fromStdString(sim.command("mem " + std::to_string(address)));
        return reply.toUpper().toStdString();
    }
    static QString readValue(D& d, int i) {
        return d.control<QLineEdit>("edit", D::kReadValues[static_cast<std::size_t>(i)])->text();
    }

    test::Devsim sim{KVT_DEVSIM_PATH};
    // Read, Copy, Write with its read-back, and a calibration to its end, as a user would.
    void drive(CMainFrame& f, D& dialog) {
        D* d = &dialog;
        auto idle = [&] { return f.commandWord() == 0; };
        d->control<QRadioButton>("radio", 1134)->click();
        d->control<QPushButton>("button", D::kReadButton)->click();
        ASSERT_TRUE(waitFor([&] { return idle() && readValue(*d, 0) == "1"; }))
            << "word " << f.commandWord() << ", value " << readValue(*d, 0).toStdString()
            << ", requests heard " << sim.logText().size();
        EXPECT_EQ(readValue(*d, 9), "10");
        EXPECT_EQ(heard("WAR"), 26);

        d->control<QPushButton>("button", D::kCopyButton)->click();
        QLineEdit* first = d->control<QLineEdit>("edit", D::kValueEdits[0]);
        EXPECT_EQ(first->text(), "1");
        first->setText("200");
        d->control<QPushButton>("button", D::kWriteButton)->click();
        // Written, then read back by itself: the device column shows the new value.
        ASSERT_TRUE(waitFor([&] { return idle() && readValue(*d, 0) == "200"; }));
        EXPECT_EQ(heard("WAS"), 26);
        EXPECT_EQ(heard("WAR"), 52);
        EXPECT_NE(memory(140).find("MEM 140 C8 02 03 04 05 06 07 08 09 0A"), std::string::npos)
            << memory(140);

        d->setStartQuestion([](std::int32_t) { return std::optional<std::int32_t>(1); });
        d->findChild<QPushButton*>(D::startButtonName())->click();
        ASSERT_TRUE(d->calibrationRunning());
        ASSERT_TRUE(waitFor([&] { return !d->calibrationRunning() && idle(); }, 60s));
        EXPECT_EQ(d->progress(), 15);
        EXPECT_EQ(heard("SCS"), 1);
        EXPECT_EQ(heard("TCS"), 1);
        EXPECT_GE(heard("CRR"), 15);
        driven = true;
    }

    bool driven = false;
};

TEST_F(CalibrationDevsimTest, ReadWriteAndACalibrationRunFromTheDialog) {
    ASSERT_TRUE(sim.started()) << sim.startError();
    // Array 7 row 0 ("Sensor Span", -20 C) lives at 0x8C in the controller's matrix memory.
    ASSERT_EQ(sim.command("mem 140 1 2 3 4 5 6 7 8 9 10").substr(0, 2), "ok");
    CMainFrame& f = start();
    ASSERT_NE(f.action(command::kCalibration), nullptr);
    QTimer::singleShot(0, &f, [&] {
        auto* d = dynamic_cast<D*>(f.slotDialog(DialogSlot::CalibrationA));
        ASSERT_NE(d, nullptr);
        drive(f, *d);
        // A failed step leaves the dialog busy; it closes all the same.
        d->reject();
        if (d->isVisible()) {
            d->done(QDialog::Rejected);
        }
    });
    f.action(command::kCalibration)->trigger();
    EXPECT_TRUE(driven);
    EXPECT_EQ(f.records().calibration.CAL_MATRIX_WRITE[7][0][0], 200);
    EXPECT_EQ(f.records().calibration.CAL_MODE, 1);
    EXPECT_TRUE(f.modified());
}

}  // namespace
}  // namespace kvt
