#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

#include "engine/Notifier.h"

namespace kvt::cli {

// The engine's notifications and message boxes as a queue that kvtcli's main thread works off,
// in the order they came. A sent notification or a box returns to the engine only when the main
// thread has handled it (or when the threads are being stopped, so a shutdown never waits on a
// main thread that has stopped listening).
class CliNotifier final : public Notifier {
  public:
    struct Event {
        enum Kind { Sent, Posted, Box } kind = Posted;
        int code = 0;
        std::intptr_t value = 0;
        MessageBoxRequest box;
        std::uint64_t serial = 0;
    };

    // How often a waiting engine thread looks whether it is being stopped.
    static constexpr std::chrono::milliseconds kAbandonPoll{20};

    // Notifier, on the engine thread.
    void send(int code, std::intptr_t value, const AbandonCheck& abandon) override;
    void post(int code, std::intptr_t value) override;
    BoxResult messageBox(const MessageBoxRequest& request, const AbandonCheck& abandon) override;

    // Main thread: the next event, or nothing when none came within the time-out. Every event
    // taken must be given back to handled() once dealt with.
    std::optional<Event> next(std::chrono::milliseconds timeout);
    void handled(const Event& event);

    // A program without a user answers every box with its safe choice: OK where OK is all there
    // is, otherwise Cancel or No.
    static BoxResult nonInteractiveAnswer(BoxButtons buttons);

  private:
    std::uint64_t enqueue(Event event);
    void waitHandled(std::uint64_t serial, const AbandonCheck& abandon);

    std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable done_;
    std::deque<Event> queue_;
    std::uint64_t nextSerial_ = 1;
    std::uint64_t handledUpTo_ = 0;
};

}  // namespace kvt::cli
