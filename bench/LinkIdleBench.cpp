// Idle cost of the link: the three link threads running with the port open and nothing to do,
// for a number of seconds (default 10). Prints the process's CPU time as a share of one core.
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "link/LinkThreads.h"
#include "link/TickSource.h"
#include "link/WorkerThreads.h"

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace kvt;
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    int master = -1;
    int slave = -1;
    char name[128];
    termios raw{};
    cfmakeraw(&raw);
    openpty(&master, &slave, name, &raw, nullptr);

    SteadyTickSource ticks;
    NullTrace trace;
    PortSettings settings;
    LinkState link(ticks);
    SerialPort port(link, settings, trace);
    SimulatedDevice simulator;
    LinkThreads threads(link, port, trace, simulator);
    WorkerThreads workers(link);
    port.setDeviceOverride(name);
    settings.baudCode = PortSettings::Baud19200;
    if (!port.InitComPort()) {
        std::fprintf(stderr, "cannot open %s\n", name);
        return 1;
    }
    workers.start({[&] { threads.MainCtrlThread(); },
                   {},
                   [&] { threads.WriteComThread(); },
                   [&] { threads.ReadComThread(); }});
    const double before = cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double used = cpuSeconds() - before;
    workers.stop();
    port.CloseComPort();
    std::printf("link idle: %.4f s CPU over %d s = %.3f %% of one core\n", used, seconds,
                100.0 * used / seconds);
    close(master);
    close(slave);
    return 0;
}
