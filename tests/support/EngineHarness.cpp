#include "support/EngineHarness.h"

#include <algorithm>

#include "support/EngineTestSupport.h"

namespace kvt::test {

namespace {

// Length of a request frame by its command code (the matrix row write is the long one).
std::size_t requestLength(std::uint8_t code) {
    return code == 0x74 ? 13 : 4;
}

}  // namespace

EngineHarness::EngineHarness(Config config)
    : records_(std::make_unique<Records>()), manualTime_(config.manualTime) {
    DeviceSession::Options options;
    options.timing = config.timing;
    options.testMode = config.testMode;
    if (config.manualTime) {
        options.ticks = &ticks_;
    }
    session_ = std::make_unique<DeviceSession>(*records_, trace_, notifier_, strings_, options);
    session_->port().setDeviceOverride(pty_.slavePath());
    ticks_.onAdvance([this] { session_->link().wakeAll(); });
    peer_ = std::thread([this] { serve(); });
}

EngineHarness::~EngineHarness() {
    stop();
    stop_ = true;
    peer_.join();
}

void EngineHarness::setScript(Script script) {
    std::lock_guard lock(mutex_);
    script_ = std::move(script);
}

void EngineHarness::start() {
    session_->start();
}
void EngineHarness::stop() {
    session_->stop();
}

std::vector<std::vector<std::uint8_t>> EngineHarness::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<std::vector<std::uint8_t>> EngineHarness::actionRequests() const {
    std::vector<std::vector<std::uint8_t>> all = requests();
    if (!all.empty() && all.front()[1] == 0x23) {
        all.erase(all.begin());
    }
    return all;
}

bool EngineHarness::run(std::uint32_t bits, int code) {
    engine().post(bits);
    return waitFor(code);
}

bool EngineHarness::waitFor(int code, std::chrono::milliseconds timeout) {
    if (!manualTime_) {
        return notifier_.waitFor(code, timeout);
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!notifier_.waitFor(code, std::chrono::milliseconds(2))) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        moveClock();
    }
    return true;
}

void EngineHarness::moveClock() {
    LinkState& link = session_->link();
    if (advanceToEngineTimer(link, ticks_)) {
        return;
    }
    // Link control waits for the reply (its step 6) to the last request the controller heard,
    // which it left unanswered. A later request not yet heard keeps the clock where it is.
    constexpr std::int32_t kAwaitReply = 6;
    if (link.THREAD_STEP.load() != kAwaitReply || link.RECEIVE_STATE.load() != ReceiveAwaited) {
        return;
    }
    {
        std::lock_guard lock(mutex_);
        if (unanswered_ == 0 || unanswered_ != requests_.size() || timedOut_ == unanswered_) {
            return;
        }
        timedOut_ = unanswered_;
    }
    const std::int32_t left = link.timers.get(TimerLink);
    ticks_.advance(static_cast<std::uint32_t>(std::max<std::int32_t>(left, 0)));
}

bool EngineHarness::waitIdle(std::chrono::milliseconds timeout) {
    return waitEngineIdle(engine(), timeout);
}

bool waitEngineIdle(ActionEngine& engine, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (engine.commandWord() != 0 || engine.step() != 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

void EngineHarness::serve() {
    std::vector<std::uint8_t> pending;
    while (!stop_) {
        const std::vector<std::uint8_t> chunk = pty_.readAvailable(std::chrono::milliseconds(20));
        if (chunk.empty()) {
            continue;
        }
        pending.insert(pending.end(), chunk.begin(), chunk.end());
        // Drop bytes in front of a request start, then serve whole requests.
        while (!pending.empty()) {
            if (pending[0] != 0x02) {
                pending.erase(pending.begin());
                continue;
            }
            if (pending.size() < 2 || pending.size() < requestLength(pending[1])) {
                break;
            }
            const std::size_t length = requestLength(pending[1]);
            std::vector<std::uint8_t> request(pending.begin(),
                                              pending.begin() + static_cast<long>(length));
            pending.erase(pending.begin(), pending.begin() + static_cast<long>(length));
            std::vector<std::uint8_t> reply;
            {
                std::lock_guard lock(mutex_);
                requests_.push_back(request);
                if (script_) {
                    reply = script_(request);
                }
                if (reply.empty()) {
                    unanswered_ = requests_.size();
                }
            }
            if (!reply.empty()) {
                pty_.write(reply);
            }
        }
    }
}

}  // namespace kvt::test
