#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "data/ScopeSettings.h"
#include "engine/AcquisitionRecorder.h"
#include "engine/ActionEngine.h"

namespace kvt {

// The channel selection byte of ACS: analog 1 in bit 6, analog 2 in bits 5..4, analog 3 in bits
// 3..2, analog 4 in bits 1..0. A channel set to none (or to a choice it does not have) sends 0.
std::uint8_t channelSelectionByte(const ScopeSettings& settings);
// ACR's reply decoded back into analogSelRead[0..3].
void decodeChannelSelection(std::uint8_t byte, ScopeSettings& settings);

// Setpoints go in 0.5 % units, the ramp time in 0.1 s units; both kept within one byte of the
// ranges the settings allow.
std::uint8_t setpointByte(float percent);
std::uint8_t rampTimeByte(float seconds);

// One configuration request of a start action: what it sends and what a good reply changes.
struct ConfigRequest {
    using Data = std::uint8_t (*)(const ScopeSettings&, const AcquisitionPlan&);
    using Store = void (*)(ScopeSettings&, std::uint8_t);

    std::string_view label;
    std::uint8_t code;
    Data data;    // nullptr: a read, which sends 0x00
    Store store;  // nullptr: an acknowledge is awaited
    // Cleared when the request is sent, so that a failed read leaves it 0.
    std::int32_t ScopeSettings::*validFlag;
    // The request after which the controller streams (SAS, TAS).
    bool startsStream;

    Request request(const ScopeSettings& settings, const AcquisitionPlan& plan) const;
};

// The configuration requests of each start action, in the order they go out.
std::span<const ConfigRequest> stepModeRequests();
std::span<const ConfigRequest> rampModeRequests();
std::span<const ConfigRequest> triggerModeRequests();

// PAS: stops the stream.
inline constexpr std::uint8_t kPasCode = 0x29;
inline constexpr std::string_view kPasLabel = "PAS";
Request pasRequest();

}  // namespace kvt
