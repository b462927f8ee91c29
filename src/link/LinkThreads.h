#pragma once

#include "data/TraceSink.h"
#include "link/LinkState.h"
#include "link/SerialPort.h"
#include "link/SimulatedDevice.h"

namespace kvt {

// The bodies of the three link threads: link control turns one request into one send and one
// awaited reply under the send and reply time-outs; transmit and receive move the bytes. They
// sleep on their doorbells instead of polling every millisecond; time-outs, the order of the
// flag changes and the trace lines are those of the polling design.
class LinkThreads {
  public:
    LinkThreads(LinkState& link, SerialPort& port, TraceSink& trace, SimulatedDevice& simulator)
        : link_(link), port_(port), trace_(trace), simulator_(simulator) {}

    void MainCtrlThread();
    void WriteComThread();
    void ReadComThread();

    // One pass of the link control machine; returns true when it changed state (exposed so that
    // tests can step it without a thread).
    bool mainCtrlPass();

  private:
    void stopOtherThreads();
    void publishStatus();
    void transmit();
    void receive();
    void receiveNearlyFull(int queued);

    LinkState& link_;
    SerialPort& port_;
    TraceSink& trace_;
    SimulatedDevice& simulator_;
};

// Values of the write request word: link control posts, the transmit thread claims and clears.
enum WriteRequest : std::int32_t { WriteNone = 0, WritePosted = 1, WriteClaimed = 2 };

// Steps of link control (THREAD_STEP). The engine waits for StepIdle before it touches the
// buffers of an exchange it has dropped.
enum MainCtrlStep : std::int32_t {
    StepStart = 0,
    StepResetRetry = 1,
    StepIdle = 2,
    StepHandOver = 3,
    StepAwaitTransmission = 4,
    StepStartWaiting = 5,
    StepAwaitReply = 6,
};

}  // namespace kvt
