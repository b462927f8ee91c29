#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTest>
#include <QToolButton>
#include <cstring>
#include <vector>

#include "GuiTestSupport.h"
#include "diag/SerialSetpointDialog.h"
#include "diag/TestFunctionDialog.h"
#include "engine/CommandWord.h"

namespace kvt {
namespace {

using test::leave;
using S = SerialSetpointDialog;
using T = TestFunctionDialog;

class SetpointDialogsTest : public ::testing::Test {
  protected:
    void SetUp() override { std::memset(&setpoint, 0, sizeof setpoint); }

    DiagAccess access() {
        return {[this] { return commandWord; }, [this](std::uint32_t b) { posted.push_back(b); }};
    }
    std::unique_ptr<S> openSetpoint() {
        auto d = std::make_unique<S>(nullptr, strings, boxes, setpoint, access());
        d->show();
        return d;
    }
    std::unique_ptr<T> openTest() {
        auto d = std::make_unique<T>(nullptr, strings, boxes, test, access());
        d->show();
        return d;
    }
    static void type(QLineEdit* e, const char* text) {
        e->setText(QString::fromLatin1(text));
        leave(e);
    }

    StringTable strings;
    test::ScriptedBoxes boxes;
    SerialSetpoint setpoint{};
    TestFunctionState test{};
    std::uint32_t commandWord = 0;
    std::vector<std::uint32_t> posted;
};

TEST_F(SetpointDialogsTest, TheSetpointKeepsToTheHalfPercentGridAndItsRange) {
    auto d = openSetpoint();
    const std::pair<const char*, const char*> cases[] = {
        {"33.3", "33.0"}, {"150", "100.0"}, {"-4", "0.0"}, {"49.99", "49.5"}, {"abc", "0.0"}};
    for (auto [typed, shown] : cases) {
        type(d->edit(), typed);
        EXPECT_EQ(d->edit()->text().toStdString(), shown) << typed;
    }
    type(d->edit(), "99.5");
    EXPECT_EQ(d->spin()->position(), 199);
    for (int i = 0; i < 2; ++i) {
        d->spin()->upButton()->click();
    }
    EXPECT_EQ(d->edit()->text(), "100.0") << "the spin stops at its end";
    EXPECT_FLOAT_EQ(setpoint.serialSetpoint, 100.0f);
}

TEST_F(SetpointDialogsTest, TransmitSendsTheTypedValueAndOffWithdrawsIt) {
    auto d = openSetpoint();
    d->edit()->setText("150");
    d->button(S::kOffButton)->click();
    d->switchOff();
    EXPECT_TRUE(posted.empty()) << "Off while not transmitting does nothing";
    d->button(S::kTransmitButton)->click();
    EXPECT_FLOAT_EQ(setpoint.serialSetpoint, 100.0f);
    EXPECT_EQ(setpoint.serialTransmit, 1);
    EXPECT_TRUE(d->radio(S::kOnRadio)->isChecked());
    EXPECT_FALSE(d->radio(S::kOffRadio)->isChecked());
    d->button(S::kOffButton)->click();
    EXPECT_EQ(setpoint.serialTransmit, 0);
    EXPECT_TRUE(d->radio(S::kOffRadio)->isChecked());
    EXPECT_EQ(posted, (std::vector<std::uint32_t>{cmd::kSerialSetpoint, cmd::kSerialSetpoint}));
}

TEST_F(SetpointDialogsTest, EnablingFollowsTheEngineAndTheTransmitState) {
    struct Case {
        std::uint32_t word;
        std::int32_t transmit;
        bool transmitButton, off, close, edit;
    };
    const Case cases[] = {
        {0, 0, true, false, true, true},
        {0, 1, true, true, false, true},
        {cmd::kSerialSetpoint, 0, false, false, true, false},
        {cmd::kSerialSetpoint, 1, false, false, false, false},
    };
    auto d = openSetpoint();
    for (const Case& c : cases) {
        commandWord = c.word;
        setpoint.serialTransmit = c.transmit;
        d->onNotification(0, 0);
        const std::string what = std::to_string(c.word) + "/" + std::to_string(c.transmit);
        EXPECT_EQ(d->button(S::kTransmitButton)->isEnabled(), c.transmitButton) << what;
        EXPECT_EQ(d->button(S::kOffButton)->isEnabled(), c.off) << what;
        EXPECT_EQ(d->button(S::kCloseButton)->isEnabled(), c.close) << what;
        EXPECT_EQ(d->edit()->isEnabled(), c.edit) << what;
        EXPECT_EQ(d->spin()->isEnabled(), c.edit) << what;
    }
}

TEST_F(SetpointDialogsTest, NoWayOutWhileTheSetpointIsOn) {
    auto d = openSetpoint();
    d->button(S::kTransmitButton)->click();
    QTest::keyClick(d.get(), Qt::Key_Escape);
    EXPECT_TRUE(d->isVisible()) << "Esc";
    d->close();
    EXPECT_TRUE(d->isVisible()) << "the window's close box";
    d->reject();
    EXPECT_TRUE(d->isVisible()) << "Close";
    d->button(S::kOffButton)->click();
    QTest::keyClick(d.get(), Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->modifiedFlag(), 0) << "the setpoint stayed 0.0";
}

TEST_F(SetpointDialogsTest, AnErrorEndSwitchesTheStateOffAndAllowsClosing) {
    auto d = openSetpoint();
    d->button(S::kTransmitButton)->click();
    d->edit()->setText("40");
    d->onNotification(2, 0);
    EXPECT_EQ(setpoint.serialTransmit, 0);
    EXPECT_TRUE(d->radio(S::kOffRadio)->isChecked());
    EXPECT_TRUE(d->button(S::kCloseButton)->isEnabled());
    d->spin()->upButton()->click();
    d->button(S::kCloseButton)->click();
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(d->modifiedFlag(), 1) << "the setpoint differs from the one at opening";
}

TEST_F(SetpointDialogsTest, TestFunctionTimeKeepsToItsRangeAndGrid) {
    auto d = openTest();
    const std::pair<const char*, const char*> cases[] = {
        {"25", "20.0"}, {"2.54", "2.5"}, {"-1", "0.0"}, {"7", "7.0"}};
    for (auto [typed, shown] : cases) {
        type(d->edit(T::kTimeEdit), typed);
        EXPECT_EQ(d->edit(T::kTimeEdit)->text().toStdString(), shown) << typed;
    }
    EXPECT_EQ(d->spin()->position(), 70);
    d->spin()->upButton()->click();
    EXPECT_FLOAT_EQ(test.testTime, 7.1f);
    EXPECT_EQ(d->edit(T::kReadBackEdit)->text(), " -- ");
}

TEST_F(SetpointDialogsTest, WriteAndReadTakeTheChosenMovement) {
    auto d = openTest();
    EXPECT_TRUE(d->radio(0)->isChecked());
    d->radio(2)->click();
    d->edit(T::kTimeEdit)->setText("25");
    d->button(T::kWriteButton)->click();
    EXPECT_EQ(test.testFunctionType, 2);
    EXPECT_FLOAT_EQ(test.testTime, 20.0f);
    commandWord = cmd::kWriteTestFunction;
    d->updateEnabling();
    for (int id : {T::kWriteButton, T::kReadButton, int{T::kCancelId}}) {
        EXPECT_FALSE(d->button(id)->isEnabled()) << id;
    }
    EXPECT_FALSE(d->radio(3)->isEnabled());
    d->read();
    commandWord = 0;
    d->onNotification(0x81, 0);
    d->button(T::kReadButton)->click();
    EXPECT_EQ(posted,
              (std::vector<std::uint32_t>{cmd::kWriteTestFunction, cmd::kReadTestFunction}));
    test.testFunctionTypeRead = 1;
    test.testFunctionReadMark = 1;
    d->onNotification(0x80, 0);
    EXPECT_TRUE(d->radio(1)->isChecked()) << "Read shows the controller's movement";
    EXPECT_TRUE(d->button(T::kWriteButton)->isEnabled());
}

}  // namespace
}  // namespace kvt
