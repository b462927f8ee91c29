#include "engine/AcquisitionCommands.h"

#include <array>

namespace kvt {
namespace {

constexpr std::array<std::uint32_t, 3> kBitByMode = {cmd::kStepAcquisition, cmd::kRampAcquisition,
                                                     cmd::kTriggerAcquisition};

}  // namespace

std::uint32_t acquisitionBitForMode(std::int32_t mode) {
    if (mode < 0 || mode >= static_cast<std::int32_t>(kBitByMode.size())) {
        return 0;
    }
    return kBitByMode[static_cast<std::size_t>(mode)];
}

AcquisitionStop requestAcquisitionStop(ActionEngine& engine) {
    auto& word = engine.link().status[StatusThreadCmd];
    std::uint32_t old = word.load();
    bool running = false;
    for (;;) {
        running = (old & cmd::kAcquisitionBits) != 0;
        const std::uint32_t next = (old & ~cmd::kAcquisitionBits) |
                                   (running ? cmd::kStopAcquisition : cmd::kHardStopAcquisition);
        if (word.compare_exchange_weak(old, next)) {
            break;
        }
    }
    engine.link().wake(ThreadId::Action);
    return running ? AcquisitionStop::Orderly : AcquisitionStop::Hard;
}

}  // namespace kvt
