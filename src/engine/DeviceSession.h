#pragma once

#include <memory>
#include <string>

#include "data/ComSettings.h"
#include "data/Records.h"
#include "data/StatusBlock.h"
#include "data/Strings.h"
#include "data/TraceSink.h"
#include "engine/ActionEngine.h"
#include "engine/Notifier.h"
#include "link/LinkState.h"
#include "link/LinkThreads.h"
#include "link/SerialPort.h"
#include "link/SimulatedDevice.h"
#include "link/TickSource.h"
#include "link/WorkerThreads.h"

namespace kvt {

// Everything that talks to the controller: the link state, the port, the simulated device, the
// three link threads and the action engine, started and stopped together. The desktop program,
// kvtcli and the tests each make one.
class DeviceSession {
  public:
    struct Options {
        LinkTiming timing = {};
        TickSource* ticks = nullptr;  // the steady clock when not given
        std::uint32_t testMode = 0;   // bit 0: the simulated device answers
    };

    DeviceSession(Records& records, TraceSink& trace, Notifier& notifier, Strings& strings,
                  Options options);
    DeviceSession(Records& records, TraceSink& trace, Notifier& notifier, Strings& strings)
        : DeviceSession(records, trace, notifier, strings, Options{}) {}
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    // Starts the four threads: link control, engine, transmit, receive.
    void start();
    // Stops them through link control, then closes the port. Safe to call more than once.
    void stop();
    bool running() const { return workers_.running(); }

    ActionEngine& engine() { return engine_; }

    // The words through which link and engine publish their state (the Debug dialog, the retry
    // count of a progress line). Read only: the threads own them.
    const StatusBlock& statusBlock() const { return link_.status; }

    // Where the port opens each port code: the paths of KVT_com.ini (an empty one keeps the
    // default device), and, when not empty, one path for every port code.
    void useDevicePaths(const DevicePaths& paths, const std::string& overridePath);
    std::string devicePath(int portCode) const { return port_.devicePath(portCode); }
    // Why the last open of the port failed: errno, 0 once an open succeeded (portProblemText in
    // data/PortProblem.h says it in words).
    int portOpenError() const { return port_.openError(); }

    // The link and the port themselves, for tests that drive or watch them.
    LinkState& link() { return link_; }
    SerialPort& port() { return port_; }

  private:
    SteadyTickSource steady_;
    LinkState link_;
    SerialPort port_;
    SimulatedDevice simulator_;
    LinkThreads linkThreads_;
    ActionEngine engine_;
    WorkerThreads workers_;
};

}  // namespace kvt
