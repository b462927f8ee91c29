#include "engine/AcquisitionRequests.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kvt {
namespace {

// Where each analog channel sits in the channel selection byte and the highest choice it sends;
// a higher choice (channel 3's and 4's "none") sends 0, so the controller streams choice 0.
struct SelectionField {
    int shift;
    std::int32_t highestChoice;
};
constexpr std::array<SelectionField, 4> kSelectionFields = {{{6, 1}, {4, 3}, {2, 2}, {0, 3}}};
constexpr unsigned kFieldMask = 3;

constexpr float kSetpointUnitsPerPercent = 2.0f;  // 0.5 % units
constexpr double kRampUnitsPerSecond = 10.0;      // 0.1 s units
constexpr double kRampRounding = 0.05;
constexpr double kSetpointMaxUnits = 200.0;  // 100 %
constexpr double kRampMaxUnits = 200.0;      // 20 s
constexpr float kReadBackPercentPerUnit = 0.5f;

std::uint8_t clampedByte(double value, double highest) {
    // A value from a damaged file (or not a number) must not wrap around in the byte.
    if (!(value > 0.0)) {
        return 0;
    }
    return static_cast<std::uint8_t>(std::trunc(std::min(value, highest)));
}

std::uint8_t periodData(const ScopeSettings&, const AcquisitionPlan& plan) {
    return static_cast<std::uint8_t>(plan.periodMs);
}
std::uint8_t acqTimeData(const ScopeSettings&, const AcquisitionPlan& plan) {
    return static_cast<std::uint8_t>(plan.acqTime);
}
std::uint8_t setpointBeginData(const ScopeSettings& s, const AcquisitionPlan&) {
    return setpointByte(s.setpointBegin);
}
std::uint8_t setpointEndData(const ScopeSettings& s, const AcquisitionPlan&) {
    return setpointByte(s.setpointEnd);
}
std::uint8_t rampTimeData(const ScopeSettings& s, const AcquisitionPlan&) {
    return rampTimeByte(s.rampTime);
}
std::uint8_t selectionData(const ScopeSettings& s, const AcquisitionPlan&) {
    return channelSelectionByte(s);
}
std::uint8_t masterSlaveData(const ScopeSettings& s, const AcquisitionPlan&) {
    return s.masterSlave != 0 ? 1 : 0;
}

void storeAcqTime(ScopeSettings& s, std::uint8_t d) {
    s.acqTimeRead = d;
    s.acqTimeReadValid = 1;
}
void storeSetpointBegin(ScopeSettings& s, std::uint8_t d) {
    s.setpointBeginRead = static_cast<float>(d) * kReadBackPercentPerUnit;
    s.setpointBeginReadValid = 1;
}
void storeSetpointEnd(ScopeSettings& s, std::uint8_t d) {
    s.setpointEndRead = static_cast<float>(d) * kReadBackPercentPerUnit;
    s.setpointEndReadValid = 1;
}
void storeSelection(ScopeSettings& s, std::uint8_t d) {
    decodeChannelSelection(d, s);
    s.analogSelReadValid = 1;
}

constexpr ConfigRequest kPRS{"PRS", 0x27, periodData, nullptr, nullptr, false};
constexpr ConfigRequest kATS{"ATS", 0x21, acqTimeData, nullptr, nullptr, false};
constexpr ConfigRequest kATR{"ATR", 0x22, nullptr, storeAcqTime, &ScopeSettings::acqTimeReadValid,
                             false};
constexpr ConfigRequest kSBS{"SBS", 0x1d, setpointBeginData, nullptr, nullptr, false};
constexpr ConfigRequest kSBR{
    "SBR", 0x1e, nullptr, storeSetpointBegin, &ScopeSettings::setpointBeginReadValid, false};
constexpr ConfigRequest kSES{"SES", 0x1f, setpointEndData, nullptr, nullptr, false};
constexpr ConfigRequest kSER{
    "SER", 0x20, nullptr, storeSetpointEnd, &ScopeSettings::setpointEndReadValid, false};
constexpr ConfigRequest kRSS{"RSS", 0x56, rampTimeData, nullptr, nullptr, false};
constexpr ConfigRequest kACS{"ACS", 0x2a, selectionData, nullptr, nullptr, false};
constexpr ConfigRequest kACR{"ACR", 0x2b, nullptr, storeSelection, nullptr, false};
constexpr ConfigRequest kSAS{"SAS", 0x24, masterSlaveData, nullptr, nullptr, true};
constexpr ConfigRequest kTAS{"TAS", 0x28, masterSlaveData, nullptr, nullptr, true};

constexpr std::array kStepRequests = {kATS, kATR, kSBS, kSBR, kSES, kSER, kACS, kACR, kSAS};
constexpr std::array kRampRequests = {kATS, kATR, kSBS, kSBR, kSES, kSER, kRSS, kACS, kACR, kSAS};
constexpr std::array kTriggerRequests = {kPRS, kACS, kACR, kTAS};

}  // namespace

std::uint8_t channelSelectionByte(const ScopeSettings& settings) {
    unsigned byte = 0;
    for (int c = 0; c < 4; ++c) {
        const SelectionField& field = kSelectionFields[static_cast<std::size_t>(c)];
        const std::int32_t choice = settings.analogSel(c);
        if (choice >= 1 && choice <= field.highestChoice) {
            byte |= static_cast<unsigned>(choice) << field.shift;
        }
    }
    return static_cast<std::uint8_t>(byte);
}

void decodeChannelSelection(std::uint8_t byte, ScopeSettings& settings) {
    for (int c = 0; c < 4; ++c) {
        const SelectionField& field = kSelectionFields[static_cast<std::size_t>(c)];
        const auto value = static_cast<std::int32_t>((byte >> field.shift) & kFieldMask);
        settings.analogSelRead(c) = value <= field.highestChoice ? value : 0;
    }
}

std::uint8_t setpointByte(float percent) {
    return clampedByte(static_cast<double>(kSetpointUnitsPerPercent * percent), kSetpointMaxUnits);
}

std::uint8_t rampTimeByte(float seconds) {
    return clampedByte(static_cast<double>(seconds) * kRampUnitsPerSecond + kRampRounding,
                       kRampMaxUnits);
}

Request ConfigRequest::request(const ScopeSettings& settings, const AcquisitionPlan& plan) const {
    Request request = store != nullptr
                          ? Request::read(label, code)
                          : Request::write(label, code, data != nullptr ? data(settings, plan) : 0);
    request.streamAround = startsStream;
    return request;
}

std::span<const ConfigRequest> stepModeRequests() {
    return kStepRequests;
}
std::span<const ConfigRequest> rampModeRequests() {
    return kRampRequests;
}
std::span<const ConfigRequest> triggerModeRequests() {
    return kTriggerRequests;
}

Request pasRequest() {
    Request request = Request::write(kPasLabel, kPasCode, 0x00);
    request.streamAround = true;
    return request;
}

}  // namespace kvt
