#include "engine/AcquisitionCommands.h"

#include <array>

namespace kvt {
namespace {

struct ModeStart {
    std::uint32_t bit;
    const char* trace;
};

constexpr std::array<ModeStart, 3> kStartByMode = {{
    {cmd::kStepAcquisition, " Acquisition Step Mode started"},
    {cmd::kRampAcquisition, " Acquisition Ramp Mode started"},
    {cmd::kTriggerAcquisition, " Acquisition Roll / Trigger Mode started"},
}};

const ModeStart* startFor(std::int32_t mode) {
    if (mode < 0 || mode >= static_cast<std::int32_t>(kStartByMode.size())) {
        return nullptr;
    }
    return &kStartByMode[static_cast<std::size_t>(mode)];
}

// The command word changes in one atomic step: while an acquisition bit is set, the orderly stop
// replaces the acquisition bits; otherwise `whenIdle` is added (nothing, and no wake-up, for 0).
// True when an acquisition was running.
bool replaceAcquisitionBits(ActionEngine& engine, std::uint32_t whenIdle) {
    auto& word = engine.link().status[StatusThreadCmd];
    std::uint32_t old = word.load();
    bool running = false;
    for (;;) {
        running = (old & cmd::kAcquisitionBits) != 0;
        if (!running && whenIdle == 0) {
            return false;
        }
        const std::uint32_t next =
            (old & ~cmd::kAcquisitionBits) | (running ? cmd::kStopAcquisition : whenIdle);
        if (word.compare_exchange_weak(old, next)) {
            break;
        }
    }
    engine.link().wake(ThreadId::Action);
    return running;
}

}  // namespace

std::uint32_t acquisitionBitForMode(std::int32_t mode) {
    const ModeStart* start = startFor(mode);
    return start != nullptr ? start->bit : 0;
}

const char* acquisitionStartTrace(std::int32_t mode) {
    const ModeStart* start = startFor(mode);
    return start != nullptr ? start->trace : nullptr;
}

const char* acquisitionStopTrace(AcquisitionStop stop) {
    return stop == AcquisitionStop::Orderly ? " Acquisition stopped" : " Acquisition hard stopped";
}

AcquisitionStop requestAcquisitionStop(ActionEngine& engine) {
    return replaceAcquisitionBits(engine, cmd::kHardStopAcquisition) ? AcquisitionStop::Orderly
                                                                     : AcquisitionStop::Hard;
}

bool requestOrderlyAcquisitionStop(ActionEngine& engine) {
    return replaceAcquisitionBits(engine, 0);
}

}  // namespace kvt
