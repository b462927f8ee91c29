#include "link/LinkState.h"

#include <algorithm>

#include "link/TickSource.h"

namespace kvt {

void LinkTimers::set(int timer, std::int32_t ms) {
    const std::uint64_t start = ticks_.nowMs();
    const auto length = static_cast<std::uint32_t>(std::max<std::int32_t>(ms, 0));
    counters_[timer].packed.store((start << 32) | length);
}

std::int32_t LinkTimers::get(int timer) const {
    const std::uint64_t packed = counters_[timer].packed.load();
    const auto start = static_cast<std::uint32_t>(packed >> 32);
    const auto length = static_cast<std::uint32_t>(packed);
    // Unsigned subtraction keeps the elapsed time right across a wrap of the counter.
    const std::uint32_t elapsed = ticks_.nowMs() - start;
    return elapsed >= length ? 0 : static_cast<std::int32_t>(length - elapsed);
}

std::int32_t LinkTimers::nearest() const {
    std::int32_t best = -1;
    for (int i = 0; i < kTimerCount; ++i) {
        const std::int32_t value = get(i);
        if (value > 0 && (best < 0 || value < best)) {
            best = value;
        }
    }
    return best;
}

void LinkState::wake(ThreadId thread) {
    switch (thread) {
        case ThreadId::MainCtrl:
            mainCtrlWakeup.signal();
            break;
        case ThreadId::Action:
            actionWakeup.signal();
            break;
        case ThreadId::WriteCom:
            writeComWakeup.signal();
            break;
        case ThreadId::ReadCom:
            readComWakeup.signal();
            break;
    }
}

void LinkState::wakeAll() {
    for (int i = 0; i < kThreadCount; ++i) {
        wake(static_cast<ThreadId>(i));
    }
}

}  // namespace kvt
