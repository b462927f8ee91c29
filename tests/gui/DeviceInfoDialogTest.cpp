#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <cstring>
#include <vector>

#include "GuiTestSupport.h"
#include "diag/DeviceInfoDialog.h"
#include "engine/CommandWord.h"

namespace kvt {
namespace {

using D = DeviceInfoDialog;

class DeviceInfoDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { std::memset(&info, 0, sizeof info); }

    std::unique_ptr<D> open(Strings* with = nullptr) {
        return std::make_unique<D>(nullptr, with != nullptr ? *with : strings, boxes, info,
                                   DiagAccess{[this] { return commandWord; },
                                              [this](std::uint32_t b) { posted.push_back(b); }});
    }

    // A record as a firmware 5 controller sends it.
    void fillFirmware5(std::int32_t suffix) {
        info.firmwareVersion = 5;
        const std::int32_t digits[6] = {2, 1, 2, 3, 4, 5};
        std::memcpy(info.partNumberDigits, digits, sizeof digits);
        info.partNumberSuffix = suffix;
        info.serialNumber = 4711;
        info.productionYear = 0x11;
        info.productionWeek = 0x07;
        info.operationMinutes = 1501;
        info.calibrationYear = 0x24;
        info.calibrationMonth = 0x12;
        info.calibrationDay = 0x31;
        info.calibrationStatus = 1;
        info.calibrationCounter = 3;
        info.calibrationTemperature = 23;
        info.moduleTemperature = -5;
        info.deviceInfoValid = 1;
    }

    std::string field(D& d, int id) { return d.edit(id)->text().toStdString(); }

    StringTable strings;
    test::ScriptedBoxes boxes;
    DeviceInfo info{};
    std::uint32_t commandWord = 0;
    std::vector<std::uint32_t> posted;
};

TEST_F(DeviceInfoDialogTest, EveryFieldShowsNotReadUntilAReadSucceeds) {
    auto d = open();
    EXPECT_EQ(d->windowTitle(), "Modul Info");
    const auto edits = d->findChildren<QLineEdit*>();
    ASSERT_EQ(edits.size(), 15);
    for (QLineEdit* e : edits) {
        EXPECT_EQ(e->text(), " -- ") << e->objectName().toStdString();
        EXPECT_TRUE(e->isReadOnly());
    }
    EXPECT_EQ(d->readButton()->text(), "Read Modul Info") << "the template's text without library";
    test::MarkedLibraryStrings library;
    EXPECT_EQ(open(&library)->readButton()->text(), "<Read Valve Info>");
}

TEST_F(DeviceInfoDialogTest, AReadFillsEveryFieldByItsRule) {
    auto d = open();
    fillFirmware5(0x0000);
    d->onNotification(0x50, 0);
    const std::pair<int, const char*> expected[] = {
        {1274, "05"},   {1597, "571-482 12345"},
        {1598, "4711"}, {1285, "11"},
        {1606, "07"},   {1614, "01"},
        {1617, "01"},   {1620, "01"},
        {1296, "24"},   {1297, "12"},
        {1298, "31"},   {1300, "1"},
        {1301, "3"},    {1655, "23"},
        {1656, "-5"},
    };
    for (const auto& [id, text] : expected) {
        EXPECT_EQ(field(*d, id), text) << id;
    }
    EXPECT_FALSE(d->control<QGroupBox>("static", 1278)->isVisibleTo(d.get()))
        << "the operation counter stays hidden";
}

TEST_F(DeviceInfoDialogTest, PartNumberTakesTheSuffixOrTheTwoTexts) {
    fillFirmware5(0x0ABC);
    auto d = open();
    EXPECT_EQ(field(*d, D::kPartNumberEdit), "571-482 12345---ABC");
    info.firmwareVersion = 7;
    const char* text = "571-482   12345 ABC ";
    for (int i = 0; i < 10; ++i) {
        info.partNumberText1[i] = text[i];
        info.partNumberText2[i] = text[10 + i];
    }
    d->onNotification(0x50, 0);
    EXPECT_EQ(field(*d, D::kPartNumberEdit), text);
}

TEST_F(DeviceInfoDialogTest, OnlyAReadOrAnErrorEndRefillsTheFields) {
    auto d = open();
    fillFirmware5(0);
    for (int code : {0, 9, 0x60, 0x70}) {
        d->onNotification(code, 0);
        EXPECT_EQ(field(*d, D::kFirmwareEdit), " -- ") << code;
    }
    d->onNotification(4, 0);
    EXPECT_EQ(field(*d, D::kFirmwareEdit), "05");
}

TEST_F(DeviceInfoDialogTest, TheReadButtonPostsOnlyWhileTheEngineIsIdle) {
    auto d = open();
    commandWord = cmd::kReadStatus;
    d->onNotification(0, 0);
    EXPECT_FALSE(d->readButton()->isEnabled());
    d->readDeviceInfo();
    EXPECT_TRUE(posted.empty());
    commandWord = 0;
    d->onNotification(0x70, 0);
    EXPECT_TRUE(d->readButton()->isEnabled());
    d->readButton()->click();
    EXPECT_EQ(posted, std::vector<std::uint32_t>{cmd::kReadDeviceInfo});
}

TEST_F(DeviceInfoDialogTest, CopyPutsTheShownFieldsOnTheClipboard) {
    fillFirmware5(0x0ABC);
    auto d = open();
    d->control<QPushButton>("button", D::kCopyButton)->click();
    const std::string copied = QApplication::clipboard()->text().toStdString();
    EXPECT_EQ(copied,
              "Controller Firmware: 05\n"
              "Part Number: 571-482 12345---ABC\n"
              "Serial No.: 4711\n"
              "Production Date: Year 11, Week 07\n"
              "Calibration Date: Year 24, Month 12, Day 31\n"
              "Calibration Status: 1\n"
              "Calibration Counter: 3\n"
              "Temperature / °C: Calibration 23, Modul -5\n");
}

}  // namespace
}  // namespace kvt
