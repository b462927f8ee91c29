// The Diagnosis dialogs in the main window against kvt-devsim: what goes over the line, counted
// request by request, and the pictures of the four dialogs.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QTimer>

#include "GuiTestSupport.h"
#include "diag/StatusInfoDialog.h"
#include "screenshots/DiagnosisShots.h"
#include "support/Devsim.h"

namespace kvt {
namespace {

class DiagnosisDevsimTest : public test::FrameFixture {
  protected:
    DiagnosisDevsimTest() : FrameFixture("kvt-diag-") {}

    CMainFrame& start() {
        EXPECT_TRUE(sim.started()) << sim.startError();
        CMainFrame::Environment env = frameEnvironment();
        env.deviceOverride = sim.terminalPath();
        return openFrame(std::move(env));
    }

    // Requests of the status read (STR, then LER) the emulator has seen.
    int statusReads() { return static_cast<int>(sim.received("STR").size()); }

    test::Devsim sim{KVT_DEVSIM_PATH};
};

TEST_F(DiagnosisDevsimTest, StatusPollingAsksOncePerTickAndNeverAfterAnError) {
    CMainFrame& f = start();
    std::vector<int> readsAfterTick;
    bool stoppedAfterError = false;
    int readsAfterError = -1;
    std::uint32_t wordAfterStoppedTick = 1;
    shots::withSlotDialog(f, DialogSlot::StatusInfo, [&](CToolDialog& dialog) {
        auto& d = static_cast<StatusInfoDialog&>(dialog);
        // The test stands in for the two timers.
        d.pollTimer()->stop();
        d.blinkTimer()->stop();
        for (int tick = 0; tick < 3; ++tick) {
            d.pollTick();
            shots::waitIdle(f);
            readsAfterTick.push_back(statusReads());
        }
        sim.command("dead");
        d.pollTick();
        stoppedAfterError = QTest::qWaitFor([&] { return d.pollingStopped(); }, 30000);
        shots::waitIdle(f);
        sim.command("normal");
        readsAfterError = statusReads();
        d.pollTick();
        wordAfterStoppedTick = f.commandWord();
    });
    EXPECT_EQ(readsAfterTick, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(stoppedAfterError);
    EXPECT_EQ(wordAfterStoppedTick, 0u) << "a stopped dialog posts nothing";
    EXPECT_EQ(f.slotDialog(DialogSlot::StatusInfo), nullptr) << "closed, with its timers";
    EXPECT_TRUE(shots::waitIdle(f));
    EXPECT_EQ(statusReads(), readsAfterError);
}

TEST_F(DiagnosisDevsimTest, ScreenshotsOfTheFourDialogs) {
    CMainFrame& f = start();
    const QStringList files = shots::shootDiagnosisDialogs(
        f, [this](const std::string& line) { return sim.command(line); },
        QString::fromStdString(dir.string()));
    ASSERT_EQ(files.size(), 4);
    for (const QString& file : files) {
        const QImage image(file);
        EXPECT_FALSE(image.isNull()) << file.toStdString();
        EXPECT_GT(image.width(), 150);
    }
    // What the pictures show came from the emulator.
    EXPECT_TRUE(f.records().deviceInfo.valid());
    EXPECT_EQ(f.records().status.overtemperature, 2);
    EXPECT_EQ(f.records().serialSetpoint.serialSetpoint, 42.5f);
    EXPECT_EQ(f.records().serialSetpoint.serialTransmit, 0) << "switched off again";
    EXPECT_EQ(f.records().testFunction.testFunctionTypeRead, 1);
}

}  // namespace
}  // namespace kvt
