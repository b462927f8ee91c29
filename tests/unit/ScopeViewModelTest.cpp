#include <gtest/gtest.h>

#include <memory>

#include "data/ScopeModel.h"
#include "scope/ScopeViewModel.h"

namespace kvt {
namespace {

class ScopeViewModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetScopeSettings(settings);
        settings.mode = ScopeSettings::StepMode;
        clearSamples(*samples);
        for (int i = 0; i < kSampleEntries; ++i) {
            samples->analog[0][i] = static_cast<float>(i) * 0.01f;
            samples->analog[3][i] = -static_cast<float>(i);
            samples->binary[1][i] = i % 2;
        }
    }

    ScopeSettings settings{};
    std::unique_ptr<AcquisitionBuffers> samples = std::make_unique<AcquisitionBuffers>();
};

TEST_F(ScopeViewModelTest, ResetShowsTheWholeRecordingWithTheReadoutInTheMiddle) {
    ScopeViewModel model(settings, *samples);
    model.resetView();
    const ScopeViewState& s = model.state();
    EXPECT_EQ(s.window, (ViewWindow{0.0f, 8.0f, -11, 100}));
    EXPECT_FLOAT_EQ(s.fullSpan, 8.0f);
    EXPECT_FLOAT_EQ(s.readoutTime, 4.0f);
    EXPECT_FLOAT_EQ(s.period, 0.004f);
    EXPECT_FLOAT_EQ(s.readoutAnalog[0], 10.0f);  // index 1000
    EXPECT_FLOAT_EQ(s.readoutAnalog[3], -1000.0f);
    EXPECT_EQ(s.readoutBinary[1], 0);
    EXPECT_EQ(model.cursorX(), 780);
    EXPECT_EQ(model.timeDivisions(), 3);
    EXPECT_EQ(model.valueTicks().divisions, 11);
}

TEST_F(ScopeViewModelTest, TypedReadoutSnapsToTheNextSampleOrIsShownRoughlyAndClamped) {
    ScopeViewModel model(settings, *samples);
    const auto snapped = model.applyReadoutText("2.003");
    EXPECT_TRUE(snapped.changed);
    EXPECT_EQ(snapped.snappedText.value_or("none"), "2.004");
    EXPECT_FLOAT_EQ(model.state().readoutTime, 2.004f);
    EXPECT_EQ(model.state().readoutBinary[1], 1);  // index 501

    const auto onGrid = model.applyReadoutText("2.0037");
    EXPECT_TRUE(onGrid.changed);
    EXPECT_FALSE(onGrid.snappedText.has_value());
    EXPECT_EQ(onGrid.roughText.value_or("none"), "2.0");
    EXPECT_EQ(model.state().readoutTime, 2.0037f);

    EXPECT_EQ(model.applyReadoutText("99").roughText.value_or("none"), "8.0");
    EXPECT_FLOAT_EQ(model.state().readoutTime, 8.0f);
    const auto same = model.applyReadoutText("8");
    EXPECT_FALSE(same.changed);
    EXPECT_FALSE(same.roughText.has_value());
}

TEST_F(ScopeViewModelTest, DragMovesTheReadoutOnTheSampleGrid) {
    ScopeViewModel model(settings, *samples);
    EXPECT_FALSE(model.dragReadoutTo(780));  // already at 4 s
    EXPECT_TRUE(model.dragReadoutTo(431));
    EXPECT_FLOAT_EQ(model.state().readoutTime, 0.012f);
    EXPECT_TRUE(model.dragReadoutTo(0));
    EXPECT_FLOAT_EQ(model.state().readoutTime, 0.0f);
    EXPECT_EQ(model.cursorX(), 430);
    EXPECT_EQ(model.handleArea(), (LogicalRect{412, 860, 448, 910}));
}

TEST_F(ScopeViewModelTest, ZoomMovesAReadoutOutsideTheWindowToItsMiddleAndZoomBackRestores) {
    ScopeViewModel model(settings, *samples);
    EXPECT_TRUE(model.isFullWindow());
    EXPECT_FALSE(model.zoomBack());
    model.zoom({70, 71, page::kHitTop, page::kHitBottom});
    EXPECT_FLOAT_EQ(model.state().window.start, 0.8f);
    EXPECT_FLOAT_EQ(model.state().window.end, 0.812f);
    // The middle, 0.806 s, snapped up to 0.808 s.
    EXPECT_FLOAT_EQ(model.state().readoutTime, 0.808f);
    EXPECT_FLOAT_EQ(model.state().readoutAnalog[0], 2.02f);
    EXPECT_FALSE(model.isFullWindow());
    EXPECT_TRUE(model.zoomBack());
    EXPECT_EQ(model.state().window, (ViewWindow{0.0f, 8.0f, -11, 100}));
    EXPECT_FALSE(model.zoomBack());
}

TEST_F(ScopeViewModelTest, StartingStepModeResetsTheProgress) {
    ScopeViewModel model(settings, *samples);
    model.progress(1000);
    model.zoom({0, 350, 100, 350});
    model.startAcquisition(ScopeSettings::StepMode);
    EXPECT_EQ(model.state().progressX, 0);
    EXPECT_EQ(model.state().previousProgressX, 0);
    EXPECT_TRUE(model.isFullWindow());
    EXPECT_FLOAT_EQ(model.state().readoutTime, 4.0f);
}

TEST_F(ScopeViewModelTest, StartingTriggerModePutsProgressAndReadoutOnTheNewestSample) {
    settings.mode = ScopeSettings::TriggerMode;
    settings.sampleRateIndex = 1;
    ScopeViewModel model(settings, *samples);
    model.progress(10);
    model.startAcquisition(ScopeSettings::TriggerMode);
    EXPECT_EQ(model.state().progressX, 700);
    EXPECT_EQ(model.state().previousProgressX, 0);
    EXPECT_EQ(model.state().displayUpdates, 0);
    EXPECT_FLOAT_EQ(model.state().readoutTime, 0.0f);
    EXPECT_FLOAT_EQ(model.state().period, 0.01f);
    EXPECT_FLOAT_EQ(model.state().readoutAnalog[0], 8.0f);  // index 800
    EXPECT_EQ(model.cursorX(), 1130);
}

TEST_F(ScopeViewModelTest, DisplayUpdatesMoveTheBarAndReportTheStrip) {
    ScopeViewModel model(settings, *samples);
    model.startAcquisition(ScopeSettings::StepMode);
    const ProgressDamage first = model.progress(120);
    EXPECT_EQ(model.state().progressX, 42);  // 120 x 4 ms of 8 s over 700 units
    EXPECT_EQ(first.strip, (LogicalRect{423, 95, 484, 935}));
    const ProgressDamage second = model.progress(240);
    EXPECT_EQ(second.strip.left, 42 + 423);
    EXPECT_EQ(model.state().previousProgressX, 84);
    EXPECT_EQ(model.state().displayUpdates, 2);
}

TEST_F(ScopeViewModelTest, ShorterRecordingWithAnOldWindowReadsInsideTheArrays) {
    settings.mode = ScopeSettings::TriggerMode;
    settings.acqTime = 20;
    ScopeViewModel model(settings, *samples);
    model.resetView();
    EXPECT_TRUE(model.applyReadoutText("15").changed);
    // The setup dialog shortens the recording without a zoom back.
    settings.acqTime = 4;
    model.refreshReadout();
    EXPECT_FLOAT_EQ(model.state().readoutAnalog[0], 0.0f);  // index 0, not -2750
    EXPECT_EQ(model.tracePlan(false).startIndex, 0);
}

}  // namespace
}  // namespace kvt
