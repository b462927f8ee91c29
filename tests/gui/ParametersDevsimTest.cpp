// The Parameters dialog opened from the menu of the main window against kvt-devsim: what each
// button sends and what the device column then shows.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>

#include "ParameterSupport.h"
#include "engine/ParameterWireTable.h"
#include "support/Devsim.h"
#include "widgets/ColorButton.h"

namespace kvt {
namespace {

using namespace std::chrono_literals;
using D = CParametersDlg;

class ParametersDevsimTest : public test::FrameFixture {
  protected:
    ParametersDevsimTest() : FrameFixture("kvt-params-") {}

    CMainFrame& start() {
        CMainFrame::Environment env = frameEnvironment();
        env.deviceOverride = sim.terminalPath();
        env.timing = LinkTiming{1000, 400, 20, 4};
        CMainFrame& f = openFrame(std::move(env));
        f.records().params.currentSet = test::inRangeSet();
        f.setModified(false);
        return f;
    }
    // Opens the dialog from the menu and runs `act` on it while it is shown; the dialog is
    // closed with "Close" afterwards whatever happened.
    void runDialog(CMainFrame& f, const std::function<void(D&)>& act) {
        ASSERT_NE(f.action(command::kParameters), nullptr);
        bool opened = false;
        QTimer::singleShot(0, &f, [&] {
            auto* d = dynamic_cast<D*>(f.slotDialog(DialogSlot::Parameters));
            ASSERT_NE(d, nullptr);
            opened = d->isModal();
            act(*d);
            d->control<QPushButton>("button", D::kCancelId)->click();
        });
        f.action(command::kParameters)->trigger();
        EXPECT_TRUE(opened);
        EXPECT_EQ(f.slotDialog(DialogSlot::Parameters), nullptr);
    }
    static bool waitFor(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, 30000);
    }
    static QString text(D& d, int id) { return d.control<QLineEdit>("edit", id)->text(); }
    bool idle(CMainFrame& f) { return f.commandWord() == 0; }
    std::vector<std::vector<std::uint8_t>> heard(const std::string& m) { return sim.received(m); }

    test::Devsim sim{KVT_DEVSIM_PATH};
};

TEST_F(ParametersDevsimTest, ReadFillsTheDeviceColumnAndLeavesTheEditedSet) {
    ASSERT_TRUE(sim.started()) << sim.startError();
    sim.command("reg KPR 23");
    CMainFrame& f = start();
    runDialog(f, [&](D& d) {
        EXPECT_EQ(text(d, 1367), " -- ");
        d.control<QPushButton>("button", D::kReadButton)->click();
        ASSERT_TRUE(waitFor([&] { return idle(f) && text(d, 1367) == "2.3"; }))
            << text(d, 1367).toStdString();
        EXPECT_EQ(text(d, 1366), "2.0");
        EXPECT_EQ(heard("KPR").size(), 1u);
        EXPECT_TRUE(f.records().params.deviceValid());
        // Read alone does not allow a write of what was read.
        EXPECT_FALSE(d.control<QWidget>("button", D::kWriteButton)->isEnabled());
        EXPECT_TRUE(d.control<QWidget>("button", D::kCopyButton)->isEnabled());
    });
    EXPECT_FALSE(f.modified());
}

TEST_F(ParametersDevsimTest, WriteSendsTheFortyFramesOfTheEditedSetAndReadsItBack) {
    ASSERT_TRUE(sim.started()) << sim.startError();
    CMainFrame& f = start();
    runDialog(f, [&](D& d) {
        d.control<QPushButton>("button", D::kReadButton)->click();
        ASSERT_TRUE(waitFor([&] { return idle(f) && text(d, 1367) != " -- "; }));
        d.control<QPushButton>("button", D::kCopyButton)->click();
        d.control<QLineEdit>("edit", 1366)->setText(QStringLiteral("4.5"));
        const std::size_t before = sim.log().size();
        d.control<QPushButton>("button", D::kWriteButton)->click();
        ASSERT_TRUE(waitFor([&] { return idle(f) && text(d, 1367) == "4.5"; }))
            << text(d, 1367).toStdString();

        const ParameterRecord& sent = f.records().params.currentSet;
        EXPECT_FLOAT_EQ(sent.PROPORTIONAL_GAIN, 4.5f);
        const auto log = sim.log();
        int writes = 0;
        for (const WireLine& line : parameterWireTable()) {
            if (!line.writable()) {
                continue;
            }
            const auto frames = heard(std::string(line.writeMnemonic));
            ASSERT_EQ(frames.size(), 1u) << line.writeMnemonic;
            ASSERT_GE(frames[0].size(), 3u);
            EXPECT_EQ(frames[0][2], encodeLine(line, sent, f.records().testFunction))
                << line.writeMnemonic;
            ++writes;
        }
        EXPECT_EQ(writes, 40);
        // Nothing but the writes and the read-back went out after the click.
        const auto rx = std::count_if(log.begin() + static_cast<std::ptrdiff_t>(before), log.end(),
                                      [](const auto& l) { return l.direction == "rx"; });
        EXPECT_EQ(rx, 40 + 42);
        EXPECT_EQ(heard("KPR").size(), 2u);
    });
    EXPECT_TRUE(f.modified());
}

TEST_F(ParametersDevsimTest, FactorySendsTheSwitchAndReadsTheSetBack) {
    ASSERT_TRUE(sim.started()) << sim.startError();
    CMainFrame& f = start();
    runDialog(f, [&](D& d) {
        d.control<QAbstractButton>("radio", D::kFactoryRadio)->click();
        ASSERT_TRUE(waitFor([&] { return idle(f) && text(d, 1367) != " -- "; }));
        EXPECT_EQ(heard("CAS").size(), 1u);
        EXPECT_EQ(heard("KPR").size(), 1u);
        EXPECT_EQ(f.records().params.deviceSet.PARAMETER_SET, 1);
        EXPECT_TRUE(d.control<CColorButton>("radio", D::kFactoryRadio)->isChecked());
        EXPECT_FALSE(d.control<QWidget>("edit", 1366)->isEnabled());
        EXPECT_FALSE(d.control<QWidget>("button", D::kWriteButton)->isEnabled());
    });
    EXPECT_EQ(f.records().params.currentSet.PARAMETER_SET, 1);
    EXPECT_TRUE(f.modified());
}

TEST_F(ParametersDevsimTest, CloseWithoutChangesLeavesTheProjectUnmodified) {
    ASSERT_TRUE(sim.started()) << sim.startError();
    CMainFrame& f = start();
    const ParameterRecord before = f.records().params.currentSet;
    runDialog(f, [](D&) {});
    EXPECT_FALSE(f.modified());
    EXPECT_EQ(f.records().params.currentSet, before);
    EXPECT_TRUE(sim.log().empty() || heard("KPS").empty());

    // The default set is outside the pages' ranges: its first close brings it in and that
    // reaches the project.
    f.records().params.currentSet = ParameterRecord{};
    runDialog(f, [](D&) {});
    EXPECT_TRUE(f.modified());
    EXPECT_FLOAT_EQ(f.records().params.currentSet.SHUT_OFF_LEVEL, 0.2f);
}

}  // namespace
}  // namespace kvt
