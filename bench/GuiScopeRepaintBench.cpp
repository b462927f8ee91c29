// Full repaints of the scope page: a 20 s Step Mode recording (5000 samples per channel) drawn
// at 1280 x 960 into an offscreen raster image, as the view's double buffer does.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <memory>

#include "GuiBenchMain.h"
#include "data/ScopeModel.h"
#include "data/Strings.h"
#include "data/TraceSink.h"
#include "scope/ScopeViewModel.h"
#include "scope/view/ChildView.h"
#include "scope/view/ScopePainter.h"

namespace {

using namespace kvt;

class BenchStrings final : public Strings {
  public:
    std::string text(int id) override { return "text " + std::to_string(id); }
    std::string builtin(int id) override { return text(id); }
    bool libraryLoaded() const override { return false; }
};

struct Recording {
    ScopeSettings settings{};
    std::unique_ptr<AcquisitionBuffers> samples = std::make_unique<AcquisitionBuffers>();

    Recording() {
        resetScopeSettings(settings);
        settings.mode = ScopeSettings::StepMode;
        settings.acqTime = 20;
        settings.analogSel(2) = 0;
        settings.analogSel(3) = 0;
        clearSamples(*samples);
        // A noisy step response: every sample differs from its neighbours, as in a real
        // recording, so that no polyline collapses.
        for (int i = 0; i < kMaxSamples + 3; ++i) {
            const double t = i * 0.004;
            const double noise = std::sin(i * 12.9898) * 1.5;
            const double feedback = t < 2.0 ? 10.0 : 90.0 - 80.0 * std::exp(-(t - 2.0) * 3.0);
            samples->analog[0][i] = static_cast<float>(t < 2.0 ? 10.0 : 90.0);
            samples->analog[1][i] = static_cast<float>(feedback + noise);
            samples->analog[2][i] = static_cast<float>(90.0 - feedback + noise);
            samples->analog[3][i] = static_cast<float>(std::sin(t * 7.0) * 60.0 + noise);
            for (int k = 0; k < kBinaryChannels; ++k) {
                samples->binary[k][i] = (i / (40 + 30 * k)) % 2;
            }
        }
    }
};

void fullRepaint(benchmark::State& state, bool recording, bool grid) {
    Recording r;
    ScopeViewModel model(r.settings, *r.samples);
    model.resetView();
    model.setGrid(grid);
    QImage canvas(1280, 960, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&canvas);
        paintScopePage(painter, model, canvas.size(), recording);
        painter.end();
        benchmark::DoNotOptimize(canvas.constBits());
    }
}

void BM_FullRepaint5000Samples(benchmark::State& state) {
    fullRepaint(state, false, false);
}
BENCHMARK(BM_FullRepaint5000Samples)->Unit(benchmark::kMillisecond);

void BM_FullRepaint5000SamplesGrid(benchmark::State& state) {
    fullRepaint(state, false, true);
}
BENCHMARK(BM_FullRepaint5000SamplesGrid)->Unit(benchmark::kMillisecond);

// While recording the traces are thinned to about 500 points per channel.
void BM_FullRepaintWhileRecording(benchmark::State& state) {
    fullRepaint(state, true, false);
}
BENCHMARK(BM_FullRepaintWhileRecording)->Unit(benchmark::kMillisecond);

// The whole widget with its label controls, rendered offscreen.
void BM_ViewGrab(benchmark::State& state) {
    Recording r;
    AcquisitionFlags flags;
    BenchStrings strings;
    NullTrace trace;
    CChildView view(r.settings, *r.samples, flags, strings, trace, [] { return 0u; });
    view.resize(1280, 960);
    view.resetView();
    QImage target(1280, 960, QImage::Format_RGB32);
    for (auto _ : state) {
        view.resetView();  // dirty: the page is drawn again, not only copied
        view.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_ViewGrab)->Unit(benchmark::kMillisecond);

// One display update of a Trigger Mode recording at 4 ms, as the engine announces one every
// 122 samples (0.488 s): the whole plot strip is repainted on screen, thinned, with the labels.
// Time per update / 488 ms is the user-interface thread's busy share while recording.
void BM_TriggerModeDisplayUpdate(benchmark::State& state) {
    Recording r;
    r.settings.mode = ScopeSettings::TriggerMode;
    r.settings.acqTime = 20;
    AcquisitionFlags flags;
    BenchStrings strings;
    NullTrace trace;
    CChildView view(r.settings, *r.samples, flags, strings, trace, [] { return 0x200u; });
    view.resize(1280, 960);
    view.show();
    QApplication::processEvents();
    view.startAcquisitionView(ScopeSettings::TriggerMode);
    flags.acquisitionActive = 1;
    for (auto _ : state) {
        flags.displayUpdatePending = 1;
        view.onDisplayUpdate(kMaxSamples);
        benchmark::DoNotOptimize(flags.displayUpdatePending.load());
    }
}
BENCHMARK(BM_TriggerModeDisplayUpdate)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return kvt::bench::runQtBenchmarks<QApplication>(argc, argv);
}
