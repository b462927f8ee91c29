// The printed report rendered to PDF, as kvt-report and the print job draw it: a 20 s Step Mode
// recording (5000 samples per channel) and every parameter page. Goal: the whole report (All,
// six pages) in under a second.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDateTime>
#include <QGuiApplication>
#include <cmath>
#include <memory>

#include "GuiBenchMain.h"
#include "data/ScopeModel.h"
#include "data/StringTable.h"
#include "print/ReportDocument.h"
#include "print/ReportPdf.h"
#include "scope/ScopeViewModel.h"

namespace {

using namespace kvt;

std::unique_ptr<Records> recordedProject() {
    auto records = std::make_unique<Records>();
    ScopeSettings& s = records->scope;
    resetScopeSettings(s);
    s.mode = ScopeSettings::StepMode;
    s.acqTime = 20;
    s.analogSel(2) = 0;
    s.analogSel(3) = 0;
    records->params.deviceSet.VALID = 1;
    // A noisy step response: every sample differs from its neighbours, as in a real recording.
    for (int i = 0; i < kMaxSamples + 3; ++i) {
        const double t = i * 0.004;
        const double noise = std::sin(i * 12.9898) * 1.5;
        const double feedback = t < 2.0 ? 10.0 : 90.0 - 80.0 * std::exp(-(t - 2.0) * 3.0);
        records->samples.analog[0][i] = static_cast<float>(t < 2.0 ? 10.0 : 90.0);
        records->samples.analog[1][i] = static_cast<float>(feedback + noise);
        records->samples.analog[2][i] = static_cast<float>(90.0 - feedback + noise);
        records->samples.analog[3][i] = static_cast<float>(std::sin(t * 7.0) * 60.0 + noise);
        for (int k = 0; k < kBinaryChannels; ++k) {
            records->samples.binary[k][i] = (i / (40 + 30 * k)) % 2;
        }
    }
    return records;
}

void renderToPdf(benchmark::State& state, PrintObject object) {
    const auto records = recordedProject();
    StringTable strings;
    ScopeViewModel scope(records->scope, records->samples);
    scope.resetView();
    const ReportSource source{*records, scope, strings, QDateTime::currentDateTime()};
    const ReportDocument document(source, object);
    qint64 bytes = 0;
    for (auto _ : state) {
        QByteArray pdf;
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        writeReportPdf(buffer, document, QStringLiteral("bench"));
        bytes = pdf.size();
        benchmark::DoNotOptimize(pdf.constData());
    }
    state.counters["pages"] = document.pageCount();
    state.counters["kB"] = static_cast<double>(bytes) / 1024.0;
}

void BM_ReportAllToPdf(benchmark::State& state) {
    renderToPdf(state, PrintObject::All);
}
BENCHMARK(BM_ReportAllToPdf)->Unit(benchmark::kMillisecond);

void BM_ReportParametersToPdf(benchmark::State& state) {
    renderToPdf(state, PrintObject::Parameters);
}
BENCHMARK(BM_ReportParametersToPdf)->Unit(benchmark::kMillisecond);

void BM_ReportScopeToPdf(benchmark::State& state) {
    renderToPdf(state, PrintObject::ScopeView);
}
BENCHMARK(BM_ReportScopeToPdf)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return kvt::bench::runQtBenchmarks<QGuiApplication>(argc, argv);
}
