#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <vector>

#include "GuiTestSupport.h"
#include "diag/StatusInfoDialog.h"
#include "engine/CommandWord.h"

namespace kvt {
namespace {

using D = StatusInfoDialog;

// The "value 1" and "value 2" radios of the eight conditions, in record order.
constexpr std::pair<int, int> kRadios[] = {{1291, 1619}, {1293, 1622}, {1604, 1601}, {1272, 1273},
                                           {1286, 1284}, {1290, 1611}, {1718, 1717}, {1591, 1275}};

class StatusInfoDialogTest : public ::testing::Test {
  protected:
    std::unique_ptr<D> open() {
        auto d = std::make_unique<D>(nullptr, strings, boxes, status,
                                     DiagAccess{[this] { return commandWord; },
                                                [this](std::uint32_t b) { posted.push_back(b); }},
                                     [this] { return now; });
        // The test is the clock: it calls the ticks itself.
        d->pollTimer()->stop();
        d->blinkTimer()->stop();
        d->show();
        return d;
    }

    // A status reply as the engine stores it.
    void reply(D& d, std::int32_t overtemperature, std::int32_t green, std::int32_t yellow) {
        for (std::int32_t StatusInfo::*f :
             {&StatusInfo::overvoltage, &StatusInfo::undervoltage, &StatusInfo::digitalOut,
              &StatusInfo::jumper, &StatusInfo::keyLock, &StatusInfo::manualSetpoint,
              &StatusInfo::reserve}) {
            status.*f = 1;
        }
        status.overtemperature = overtemperature;
        status.ledGreen = green;
        status.ledYellow = yellow;
        status.ledRed = 0;
        status.statusValid = 1;
        d.onNotification(0x70, 0);
    }

    int checkedRadios(D& d) {
        int n = 0;
        for (auto [a, b] : kRadios) {
            n += d.radio(a)->isChecked() + d.radio(b)->isChecked();
        }
        return n;
    }

    StringTable strings;
    test::ScriptedBoxes boxes;
    StatusInfo status{};
    std::uint32_t commandWord = 0;
    std::vector<std::uint32_t> posted;
    QTime now{12, 3, 15};
};

TEST_F(StatusInfoDialogTest, OpeningForgetsTheLastStatusAndChecksNothing) {
    status.overvoltage = 2;
    status.statusValid = 1;
    auto d = open();
    EXPECT_EQ(d->windowTitle(), "Status Info");
    EXPECT_EQ(status.statusValid, 0);
    EXPECT_EQ(checkedRadios(*d), 0);
    for (int id : {D::kGreenLed, D::kYellowLed, D::kRedLed}) {
        EXPECT_EQ(d->led(id)->picture(), LedPicture::Neutral);
    }
    EXPECT_EQ(d->pollTimer()->interval(), 2000);
    EXPECT_EQ(d->blinkTimer()->interval(), 1000);
}

TEST_F(StatusInfoDialogTest, EachValueChecksItsRadioAndOthersNone) {
    auto d = open();
    reply(*d, 2, 1, 1);
    EXPECT_TRUE(d->radio(1601)->isChecked()) << "overtemperature YES";
    EXPECT_FALSE(d->radio(1604)->isChecked());
    EXPECT_EQ(checkedRadios(*d), 8);
    for (std::int32_t odd : {0, 3}) {
        reply(*d, odd, 1, 1);
        EXPECT_FALSE(d->radio(1601)->isChecked()) << odd;
        EXPECT_FALSE(d->radio(1604)->isChecked()) << odd;
        EXPECT_EQ(checkedRadios(*d), 7);
    }
}

TEST_F(StatusInfoDialogTest, LedsShowTheirStateAndBlinkWithThePhase) {
    auto d = open();
    reply(*d, 1, 1, 3);
    status.ledRed = 2;
    d->onNotification(0x70, 0);
    EXPECT_EQ(d->led(D::kGreenLed)->picture(), LedPicture::Lit);
    EXPECT_EQ(d->led(D::kRedLed)->picture(), LedPicture::Third);
    std::vector<LedPicture> blinking;
    for (int second = 0; second < 4; ++second) {
        d->blinkTick();
        blinking.push_back(d->led(D::kYellowLed)->picture());
    }
    EXPECT_EQ(blinking, (std::vector<LedPicture>{LedPicture::Lit, LedPicture::Dark, LedPicture::Lit,
                                                 LedPicture::Dark}));
    EXPECT_EQ(d->led(D::kGreenLed)->picture(), LedPicture::Lit) << "a lit LED does not blink";
    d->hide();
    d->blinkTick();
    EXPECT_EQ(d->led(D::kYellowLed)->picture(), LedPicture::Dark) << "no phase while hidden";
}

TEST_F(StatusInfoDialogTest, TheFourPicturesLookDifferent) {
    LedDisc disc(QColor(40, 200, 40));
    disc.resize(32, 32);
    std::vector<QImage> images;
    for (LedPicture p :
         {LedPicture::Neutral, LedPicture::Dark, LedPicture::Lit, LedPicture::Third}) {
        disc.setPicture(p);
        images.push_back(disc.grab().toImage());
    }
    for (std::size_t a = 0; a < images.size(); ++a) {
        for (std::size_t b = a + 1; b < images.size(); ++b) {
            EXPECT_NE(images[a], images[b]) << a << " " << b;
        }
    }
}

TEST_F(StatusInfoDialogTest, PollingAsksWhileVisibleAndIdleAndStopsForGoodAfterAnError) {
    auto d = open();
    d->hide();
    d->pollTick();
    d->show();
    d->pollTick();
    commandWord = cmd::kReadDeviceInfo;
    d->pollTick();
    commandWord = 0;
    d->pollTick();
    EXPECT_EQ(posted, (std::vector<std::uint32_t>{cmd::kReadStatus, cmd::kReadStatus}));
    d->onNotification(3, 0);
    d->pollTick();
    reply(*d, 1, 1, 1);
    d->pollTick();
    EXPECT_EQ(posted.size(), 2u) << "not even a good reply restarts polling";
    d->hide();
    auto again = open();
    again->pollTick();
    EXPECT_EQ(posted.size(), 3u) << "a new opening polls again";
}

TEST_F(StatusInfoDialogTest, ChangesAreListedNewestFirstWithTheirTime) {
    auto d = open();
    reply(*d, 1, 1, 0);
    EXPECT_EQ(d->changeList()->count(), 0) << "the first reading is no change";
    now = QTime(12, 3, 15);
    reply(*d, 2, 1, 0);
    now = QTime(12, 3, 17);
    reply(*d, 1, 1, 3);
    ASSERT_EQ(d->changeList()->count(), 3);
    EXPECT_EQ(d->changeList()->item(0)->text(), "12:03:17 YELLOW blinking");
    EXPECT_EQ(d->changeList()->item(1)->text(), "12:03:17 Overtemperature NO");
    EXPECT_EQ(d->changeList()->item(2)->text(), "12:03:15 Overtemperature YES");
    reply(*d, 1, 1, 3);
    EXPECT_EQ(d->changeList()->count(), 3) << "the same reading again adds nothing";
}

}  // namespace
}  // namespace kvt
