#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QImage>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "app/SerialPortDialog.h"
#include "data/Cp1252.h"
#include "data/StringTable.h"

namespace kvt {
namespace {

class SerialPortDialogTest : public ::testing::Test {
  protected:
    std::unique_ptr<SerialPortDialog> open(Strings* with = nullptr) {
        return std::make_unique<SerialPortDialog>(
            nullptr, with != nullptr ? *with : strings, boxes, port, devices,
            [this] { return commandWord; },
            [this] {
                ++listings;
                return present;
            });
    }

    StringTable strings;
    test::ScriptedBoxes boxes;
    PortSettings port;
    DevicePaths devices{};
    std::uint32_t commandWord = 0;
    std::vector<SerialDevice> present;
    int listings = 0;
};

TEST_F(SerialPortDialogTest, OpeningChecksThePortAndShowsTheRateFound) {
    port.portCode = 2;
    port.baudCode = PortSettings::Baud57600;
    devices[2] = "/dev/ttyUSB0";
    auto d = open();
    EXPECT_EQ(d->windowTitle(), "Serial Port");
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(d->portRadio(k)->text(), QStringLiteral("Com %1").arg(k + 1));
        EXPECT_EQ(d->portRadio(k)->isChecked(), k == 2) << k;
        EXPECT_TRUE(d->portRadio(k)->isEnabled());
    }
    auto* r19200 = d->control<QRadioButton>(SerialPortDialog::kBaud19200);
    auto* r57600 = d->control<QRadioButton>(SerialPortDialog::kBaud57600);
    EXPECT_FALSE(r19200->isChecked());
    EXPECT_TRUE(r57600->isChecked());
    EXPECT_FALSE(r19200->isEnabled()) << "the rate is shown, never chosen";
    EXPECT_FALSE(r57600->isEnabled());
    EXPECT_EQ(d->pathEdit(2)->text(), "/dev/ttyUSB0");
    EXPECT_EQ(d->pathEdit(0)->text(), "");
    EXPECT_EQ(d->pathEdit(0)->placeholderText(), "/dev/ttyS0") << "the default it opens";
    EXPECT_EQ(d->pathEdit(7)->placeholderText(), "/dev/ttyS7");

    // Codes 0 and 1 (no rate found yet) check neither rate.
    const std::tuple<int, bool, bool> cases[] = {
        {0, false, false}, {1, false, false}, {2, true, false}, {3, false, true}};
    for (const auto& [code, checked19200, checked57600] : cases) {
        port.baudCode = code;
        auto e = open();
        EXPECT_EQ(e->control<QRadioButton>(1023)->isChecked(), checked19200) << code;
        EXPECT_EQ(e->control<QRadioButton>(1024)->isChecked(), checked57600) << code;
    }
}

TEST_F(SerialPortDialogTest, APortCodeOutOfRangeChecksNoneAndIsKeptWithoutAChoice) {
    port.portCode = 9;
    auto d = open();
    for (int k = 0; k < 8; ++k) {
        EXPECT_FALSE(d->portRadio(k)->isChecked());
    }
    d->accept();
    EXPECT_EQ(port.portCode.load(), 9) << "no radio checked: the code stays as it was";
    EXPECT_EQ(d->modifiedFlag(), 0);
}

TEST_F(SerialPortDialogTest, OkStoresTheChosenPortAndReportsOnlyTheUsersChange) {
    port.portCode = 4;
    auto same = open();
    // The engine finds a rate while the dialog is open: not the user's change, and not undone.
    port.baudCode = PortSettings::Baud19200;
    same->accept();
    EXPECT_EQ(same->modifiedFlag(), 0);
    EXPECT_EQ(port.baudCode.load(), PortSettings::Baud19200);
    EXPECT_EQ(port.portCode.load(), 4);

    auto d = open();
    d->portRadio(2)->click();
    d->accept();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->modifiedFlag(), 1);
    EXPECT_EQ(port.portCode.load(), 2);
    EXPECT_FALSE(d->enableTimer()->isActive()) << "closing stops the timer";
}

// The question every tool dialog asks before it drops a change, shown on this one.
TEST_F(SerialPortDialogTest, CancelAfterAChangeAsks) {
    auto unchanged = open();
    unchanged->reject();
    EXPECT_TRUE(boxes.shown.empty()) << "without a change Cancel closes at once";
    EXPECT_EQ(unchanged->result(), QDialog::Rejected);

    auto d = open();
    d->show();
    d->portRadio(5)->click();
    boxes.answers = {BoxResult::No};
    d->reject();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Data's are changed. Do you really want to cancel?");
    EXPECT_EQ(boxes.shown[0].caption, "Serial Port");
    EXPECT_EQ(boxes.shown[0].buttons, BoxButtons::YesNo);
    EXPECT_EQ(boxes.shown[0].icon, BoxIcon::Question);
    EXPECT_TRUE(d->isVisible()) << "No keeps the dialog open";
    boxes.answers = {BoxResult::Yes};
    d->reject();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(port.portCode.load(), 0) << "Yes stores nothing";

    auto path = open();
    path->pathEdit(6)->setText("/dev/ttyACM0");
    boxes.answers = {BoxResult::Yes};
    path->reject();
    EXPECT_EQ(boxes.shown.size(), 3u) << "a changed path asks too";
    EXPECT_EQ(devices[6], "") << "nothing stored";
}

TEST_F(SerialPortDialogTest, ThePortChoicesAreGreyWhileAnActionRuns) {
    commandWord = 0x800;  // a step-mode recording
    auto d = open();
    for (int k = 0; k < 8; ++k) {
        EXPECT_FALSE(d->portRadio(k)->isEnabled());
        EXPECT_FALSE(d->pathEdit(k)->isEnabled());
        EXPECT_FALSE(d->listButton(k)->isEnabled());
    }
    EXPECT_EQ(d->enableTimer()->interval(), 5000);
    EXPECT_TRUE(d->enableTimer()->isActive());
    // The recording ends: the next tick of the timer gives the choices back.
    commandWord = 0;
    d->enableTimer()->setInterval(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return d->portRadio(0)->isEnabled(); }, 2000));
    EXPECT_TRUE(d->pathEdit(3)->isEnabled());
    // And a new action takes them away again.
    commandWord = 0x1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !d->portRadio(7)->isEnabled(); }, 2000));
}

TEST_F(SerialPortDialogTest, TheDeviceListIsReadEachTimeItOpens) {
    present = {{"/dev/ttyUSB0", "Acme Lines", "USB Serial 232"}, {"/dev/ttyS0", "", ""}};
    auto d = open();
    EXPECT_EQ(listings, 0) << "nothing is read before the list opens";
    QMenu* menu = d->listButton(1)->menu();
    ASSERT_NE(menu, nullptr);
    emit menu->aboutToShow();
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[0]->text(), "/dev/ttyUSB0  (Acme Lines USB Serial 232)");
    EXPECT_EQ(menu->actions()[1]->text(), "/dev/ttyS0");
    present.push_back({"/dev/ttyACM0", "", "Modem Port"});
    emit menu->aboutToShow();
    EXPECT_EQ(listings, 2);
    ASSERT_EQ(menu->actions().size(), 3) << "a device plugged in meanwhile appears";
    menu->actions()[0]->trigger();
    EXPECT_EQ(d->pathEdit(1)->text(), "/dev/ttyUSB0") << "the path alone goes into the edit";
}

TEST_F(SerialPortDialogTest, AChangedDevicePathIsStoredAndCountsAsAChange) {
    devices[3] = "/dev/ttyUSB3";
    auto d = open();
    d->pathEdit(0)->setText("  /dev/serial/by-id/usb-Acme-if00  ");
    d->pathEdit(3)->clear();
    d->accept();
    EXPECT_EQ(d->modifiedFlag(), 1);
    EXPECT_EQ(devices[0], "/dev/serial/by-id/usb-Acme-if00") << "blanks around are dropped";
    EXPECT_EQ(devices[3], "") << "empty: back to the default device";
    EXPECT_EQ(port.portCode.load(), 0);
}

TEST_F(SerialPortDialogTest, APathKvtComIniCannotHoldKeepsTheDialogOpenAndNothingStored) {
    devices[1] = "/dev/ttyUSB1";
    auto d = open();
    d->pathEdit(1)->setText(QStringLiteral("/dev/serial/\u4E2D"));
    d->accept();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, refusedCharacterText(U'\u4E2D'));
    EXPECT_NE(d->result(), QDialog::Accepted);
    EXPECT_EQ(devices[1], "/dev/ttyUSB1");
    d->pathEdit(1)->setText(QStringLiteral("/dev/M\u00FCller"));
    d->accept();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(devices[1], "/dev/M\u00FCller") << "UTF-8 in memory; the file gets Windows-1252";
}

}  // namespace
}  // namespace kvt
