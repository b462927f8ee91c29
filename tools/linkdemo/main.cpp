// A console demonstration of the link and the engine against the built-in simulated device:
// opens a pseudo-terminal as the serial port (test mode still opens one), runs the baud-rate
// test, Read Device Info and Read Status, and prints the trace file.
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <mutex>

#include "data/Records.h"
#include "engine/DeviceSession.h"
#include "link/TraceLog.h"

namespace {

using namespace kvt;

class ConsoleNotifier final : public Notifier {
  public:
    void send(int code, std::intptr_t value, const AbandonCheck&) override { post(code, value); }
    void post(int code, std::intptr_t) override {
        std::lock_guard lock(mutex_);
        codes_.push_back(code);
        cv_.notify_all();
    }
    BoxResult messageBox(const MessageBoxRequest& request, const AbandonCheck&) override {
        std::cerr << "message: " << request.text << "\n";
        return BoxResult::Ok;
    }
    bool waitFor(int code) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::seconds(30), [&] {
            for (int c : codes_) {
                if (c == code || c == notify::kBaudrateFailed || c == notify::kTimeout ||
                    c == notify::kBadReply || c == notify::kSendFailed) {
                    return true;
                }
            }
            return false;
        });
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<int> codes_;
};

class DemoStrings final : public Strings {
  public:
    std::string text(int id) override { return builtin(id); }
    std::string builtin(int id) override {
        return id == ids::kAppTitle ? "KVT Service Tool" : std::to_string(id);
    }
    bool libraryLoaded() const override { return false; }
};

}  // namespace

int main() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kvt-linkdemo";
    std::filesystem::create_directories(dir);
    int master = -1;
    int slave = -1;
    char name[128];
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }

    auto records = std::make_unique<Records>();
    TraceLog trace;
    trace.setLogFlag(true);
    trace.open(dir, "KVT Service Tool", 1);
    ConsoleNotifier notifier;
    DemoStrings strings;
    DeviceSession::Options options;
    options.testMode = 1;
    DeviceSession session(*records, trace, notifier, strings, options);
    session.port().setDeviceOverride(name);
    session.start();

    session.engine().post(cmd::kReadDeviceInfo);
    notifier.waitFor(notify::kDeviceInfoRead);
    session.engine().post(cmd::kReadStatus);
    notifier.waitFor(notify::kStatusRead);
    session.stop();
    trace.close();

    std::ifstream in(dir / TraceLog::kFileName);
    std::cout << in.rdbuf();
    std::cout << "\nfirmware " << records->deviceInfo.firmwareVersion << ", serial number "
              << records->deviceInfo.serialNumber << ", trace in " << (dir / TraceLog::kFileName)
              << "\n";
    close(master);
    close(slave);
    return 0;
}
