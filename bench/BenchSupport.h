#pragma once

// Pieces the benchmark programs share (header only: every bench/*.cpp is a program of its own).
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "link/LinkThreads.h"
#include "link/TickSource.h"
#include "link/WorkerThreads.h"

namespace kvt::bench {

// The process's CPU time so far (user and system, every thread), in seconds.
inline double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// A pseudo-terminal pair in raw mode, closed with the object: the code measured opens path(),
// the benchmark plays the controller on master().
class RawPty {
  public:
    RawPty() {
        termios raw{};
        cfmakeraw(&raw);
        char name[128];
        openpty(&master_, &slave_, name, &raw, nullptr);
        path_ = name;
    }
    ~RawPty() {
        close(master_);
        close(slave_);
    }
    RawPty(const RawPty&) = delete;
    RawPty& operator=(const RawPty&) = delete;

    int master() const { return master_; }
    const std::string& path() const { return path_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

// The link as the program runs it, without the engine: the port on one device and the three
// link threads.
struct LinkUnderTest {
    explicit LinkUnderTest(const std::string& device) { port.setDeviceOverride(device); }

    void startThreads() {
        workers.start({[this] { threads.MainCtrlThread(); },
                       {},
                       [this] { threads.WriteComThread(); },
                       [this] { threads.ReadComThread(); }});
    }
    void stop() {
        workers.stop();
        port.CloseComPort();
    }

    SteadyTickSource ticks;
    NullTrace trace;
    PortSettings settings;
    LinkState link{ticks};
    SerialPort port{link, settings, trace};
    SimulatedDevice simulator;
    LinkThreads threads{link, port, trace, simulator};
    WorkerThreads workers{link};
};

}  // namespace kvt::bench
