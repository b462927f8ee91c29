#pragma once

// Pieces of the engine tests against a controller played on a pseudo-terminal: the frames on the
// line, the rate the code under test set, the time-outs the tests run with, the fixture of a
// scripted controller and a stand-in for the scope view.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/AcquisitionBuffers.h"
#include "engine/Notifier.h"
#include "link/LinkState.h"
#include "link/LinkTiming.h"
#include "link/TickSource.h"
#include "support/EngineHarness.h"
#include "support/RecordingNotifier.h"
#include "support/RecordingTrace.h"

namespace kvt::test {

// A request of one data byte: STX, the code, the byte and the sum of code and byte.
std::vector<std::uint8_t> frame(std::uint8_t code, std::uint8_t value);
// A reply with data: STX, the data and their block check.
std::vector<std::uint8_t> dataReply(const std::vector<std::uint8_t>& data);
// The output rate set on the terminal in baud: 19200 or 57600, 0 for any other or none.
int lineSpeed(int fd);

// Time-outs long enough that a loaded machine never fakes one; the retry pause stays short.
inline constexpr LinkTiming kPatient{2000, 2000, 20, 4};

// On manual time, with link control and the engine sleeping on `ticks`: when no exchange is in
// flight and the engine waits for one of its own timers (retry pause, block pacing, short waits),
// moves the clock to the end of the nearest one once both threads have nothing else to do. True
// when the clock moved.
bool advanceToEngineTimer(LinkState& link, ManualTickSource& ticks);

// Prints the last `count` trace lines (for a failed test: what the engine did last, to tell a
// slow machine from a fault).
void printTraceTail(const RecordingTrace& trace, std::size_t count);

// The engine against a controller whose `answer(request)` gives the reply bytes. The harness
// starts in SetUp with the controller answering, on manual time (see EngineHarness::waitFor)
// with the controller's own time-outs and retry pause unless told otherwise.
template <typename Controller>
class ScriptedControllerTest : public ::testing::Test {
  protected:
    explicit ScriptedControllerTest(LinkTiming timing = LinkTiming{})
        : h(EngineHarness::Config{timing, 0, true}) {}

    void SetUp() override {
        h.setScript(
            [this](const std::vector<std::uint8_t>& req) { return controller.answer(req); });
        h.start();
    }

    // The requests after the baud-rate test's version request.
    std::vector<std::vector<std::uint8_t>> actionRequests() const { return h.actionRequests(); }

    Controller controller;
    EngineHarness h;
};

// The scope view as far as the engine sees it: every display update is painted at once (while
// `paints` is set), and every notification is kept.
class PaintingView final : public Notifier {
  public:
    explicit PaintingView(AcquisitionFlags& flags) : flags_(flags) {}

    void send(int code, std::intptr_t value, const AbandonCheck& abandon) override;
    void post(int code, std::intptr_t value) override { recording.post(code, value); }
    BoxResult messageBox(const MessageBoxRequest& request, const AbandonCheck& abandon) override {
        return recording.messageBox(request, abandon);
    }

    // The sample counts of the display updates, in order.
    std::vector<std::intptr_t> updates() const;

    std::atomic<bool> paints{true};
    RecordingNotifier recording;

  private:
    AcquisitionFlags& flags_;
};

}  // namespace kvt::test
