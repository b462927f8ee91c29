// Idle cost of the link: the three link threads running with the port open and nothing to do,
// for a number of seconds (default 10). Prints the process's CPU time as a share of one core.
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "BenchSupport.h"

int main(int argc, char** argv) {
    using namespace kvt;
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    bench::RawPty pty;

    bench::LinkUnderTest line(pty.path());
    line.settings.baudCode = PortSettings::Baud19200;
    if (!line.port.InitComPort()) {
        std::fprintf(stderr, "cannot open %s\n", pty.path().c_str());
        return 1;
    }
    line.startThreads();
    const double before = bench::processCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double used = bench::processCpuSeconds() - before;
    line.stop();
    std::printf("link idle: %.4f s CPU over %d s = %.3f %% of one core\n", used, seconds,
                100.0 * used / seconds);
    return 0;
}
