#include "link/TickSource.h"

namespace kvt {

std::uint32_t SteadyTickSource::nowMs() {
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void ManualTickSource::advance(std::uint32_t ms) {
    now_.fetch_add(ms);
    if (onAdvance_) {
        onAdvance_();
    }
}

}  // namespace kvt
