#pragma once

#include <chrono>
#include <memory>
#include <vector>

#include "data/PortSettings.h"
#include "link/LinkState.h"
#include "link/LinkThreads.h"
#include "link/SerialPort.h"
#include "link/SimulatedDevice.h"
#include "link/TickSource.h"
#include "link/WorkerThreads.h"
#include "support/RecordingTrace.h"

namespace kvt::test {

// The link with its three threads, a recording trace and either real or manual time, plus the
// engine's side of an exchange as the action engine drives it.
class LinkHarness {
  public:
    enum class Time { Real, Manual };

    explicit LinkHarness(Time time = Time::Real, LinkTiming timing = {});
    ~LinkHarness();

    LinkState& link() { return *link_; }
    SerialPort& port() { return *port_; }
    RecordingTrace& trace() { return trace_; }
    PortSettings& settings() { return settings_; }
    ManualTickSource& manualTicks() { return manual_; }
    // On manual time: waits until link control has looked at the current count and gone back
    // to sleep, so whatever the count allows has happened.
    bool settle() { return manual_.settle(1); }

    void startThreads();
    void stopThreads();

    // Opens the port on a device path at a baud code.
    bool open(const std::string& path, int baudCode = PortSettings::Baud19200);

    // Engine side, without waiting: hand a request over, or arm the receiver.
    void postSend(const std::vector<std::uint8_t>& frame, std::int32_t expectedLength);
    void armReceive(std::int32_t expectedLength);

    // Engine side: build the request, post it, wait for the send outcome.
    std::int32_t send(const std::vector<std::uint8_t>& frame, std::int32_t expectedLength);
    // Engine side: arm the receiver and wait for the reply outcome.
    std::int32_t awaitReply(std::int32_t expectedLength);
    std::vector<std::uint8_t> reply(std::size_t length) const;

    // Waits (on the engine's doorbell) until the predicate holds or the real time-out passes.
    template <typename Pred>
    bool waitUntil(Pred pred, std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!pred()) {
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            link_->actionWakeup.waitFor(std::chrono::milliseconds(2));
        }
        return true;
    }

  private:
    SteadyTickSource steady_;
    ManualTickSource manual_;
    RecordingTrace trace_;
    PortSettings settings_;
    std::unique_ptr<LinkState> link_;
    std::unique_ptr<SerialPort> port_;
    SimulatedDevice simulator_;
    std::unique_ptr<LinkThreads> threads_;
    std::unique_ptr<WorkerThreads> workers_;
};

}  // namespace kvt::test
