#pragma once

// A finished Step Mode recording as the scope view shows it, shared by the view's tests and the
// pictures of the documentation: the texts the view asks for and the samples of a valve's answer
// to a setpoint step.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>

#include "data/Format.h"
#include "data/ScopeModel.h"
#include "data/Strings.h"

namespace kvt::test {

// The texts the scope view asks for, as the program's own table has them.
class ScopeStrings final : public Strings {
  public:
    std::string text(int id) override {
        const auto it = table_.find(id);
        return it != table_.end() ? it->second : format("#%d", id);
    }
    std::string builtin(int id) override { return text(id); }
    bool libraryLoaded() const override { return false; }

  private:
    std::map<int, std::string> table_ = {
        {101, "Readout Time"},   {102, "Zoom Back"},
        {146, "Digital Output"}, {147, "Shut Off"},
        {148, "Signal Open"},    {149, "Limit Switch"},
        {150, "Digital Input"},  {151, "Range"},
        {152, "Error"},          {153, "Signal Close"},
        {154, "Setpoint"},       {155, "Analog Input 2"},
        {156, "Feedback"},       {157, "Control Deviation"},
        {158, "Current"},        {160, "Analog In 2"},
        {161, "P-Value"},        {162, "I-Value"},
        {163, "D-Value"},        {164, "Bridge Signal"},
        {165, "PID-Out"},        {337, "none"},
        {338, "Setpoint(S)"},    {404, "Feedback(S)"},
    };
};

// Stores a value the way the acquisition does: through the raw byte of the stream.
inline float unsignedPercent(double percent) {
    return analogPercentUnsigned(
        static_cast<std::uint8_t>(std::clamp(std::lround(percent * 255.0 / 100.0), 0L, 255L)));
}
inline float offsetPercent(double percent) {
    return analogPercentOffset(static_cast<std::uint8_t>(
        std::clamp(std::lround(percent * 255.0 / 200.0) + 128, 0L, 255L)));
}

// A Step Mode recording of a valve answering a setpoint step from 10 % to 90 % at 1 s: an
// underdamped position loop, its control deviation and P part, and the limit signals.
inline void fillStepResponse(ScopeSettings& settings, AcquisitionBuffers& samples, int count) {
    settings.mode = ScopeSettings::StepMode;
    settings.acqTime = count * 4 / 1000;
    settings.analogSel(2) = 0;  // Control Deviation
    settings.analogSel(3) = 0;  // P-Value
    clearSamples(samples);
    const double zeta = 0.45;
    const double omega = 6.0;
    const double damped = omega * std::sqrt(1.0 - zeta * zeta);
    const double phase = std::acos(zeta);
    for (int i = 0; i < count; ++i) {
        const double t = i * 0.004;
        const double setpoint = t < 1.0 ? 10.0 : 90.0;
        double feedback = 10.0;
        if (t >= 1.0) {
            const double tau = t - 1.0;
            feedback =
                10.0 + 80.0 * (1.0 - std::exp(-zeta * omega * tau) / std::sqrt(1.0 - zeta * zeta) *
                                         std::sin(damped * tau + phase));
        }
        const double deviation = setpoint - feedback;
        samples.analog[0][i] = unsignedPercent(setpoint);
        samples.analog[1][i] = unsignedPercent(feedback);
        samples.analog[2][i] = offsetPercent(deviation);
        samples.analog[3][i] = offsetPercent(std::clamp(1.5 * deviation, -100.0, 100.0));
        samples.binary[0][i] = 0;
        samples.binary[1][i] = feedback > 85.0 ? 1 : 0;
        samples.binary[2][i] = feedback < 12.0 ? 1 : 0;
        samples.binary[3][i] = t >= 1.0 ? 1 : 0;
    }
    // The forward fill of the acquisition.
    for (int i = count; i < std::min(count + 3, kSampleEntries); ++i) {
        for (int c = 0; c < kAnalogChannels; ++c) {
            samples.analog[c][i] = samples.analog[c][count - 1];
            samples.binary[c][i] = samples.binary[c][count - 1];
        }
    }
}

}  // namespace kvt::test
