#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace kvt::test {

// A pseudo-terminal pair: the code under test opens slavePath() as its serial device, the test
// plays the controller on the master side.
class Pty {
  public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const std::string& slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }

    void write(const std::vector<std::uint8_t>& bytes);
    // Waits up to `timeout` for bytes and returns what is there (empty when none or closed).
    std::vector<std::uint8_t> readAvailable(std::chrono::milliseconds timeout);
    // Reads until `count` bytes arrived or the time-out passed.
    std::vector<std::uint8_t> read(std::size_t count, std::chrono::milliseconds timeout);
    // Waits until the kernel has moved bytes written on the master to the terminal's input queue.
    bool waitQueued(int count, std::chrono::milliseconds timeout = std::chrono::seconds(2));
    // Closes the master: the slave side sees the device gone.
    void closeMaster();

  private:
    std::atomic<int> master_{-1};
    // Closing waits until no other thread is inside a call on the master.
    std::mutex ioMutex_;
    int keepSlave_ = -1;  // keeps the slave alive between opens by the code under test
    std::string slavePath_;
};

}  // namespace kvt::test
