#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <shared_mutex>
#include <span>
#include <string>

#include "data/PortSettings.h"
#include "data/TraceSink.h"
#include "link/LinkState.h"

namespace kvt {

// The one serial line to the controller, on termios: 8N1 raw, no handshake, DTR and RTS not
// driven, non-blocking reads. Opened and closed by the action engine; the transmit and receive
// threads use it while the port-open flag is 1.
class SerialPort {
  public:
    // The size of the kernel's tty receive buffer, traced where the driver's queue size would be.
    static constexpr int kKernelRxQueue = 4096;

    SerialPort(LinkState& link, PortSettings& settings, TraceSink& trace);
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    void setDevicePath(int portCode, std::string path);
    // A path that replaces the configured one whatever the port code (kvtcli --port).
    void setDeviceOverride(std::string path);
    std::string devicePath(int portCode) const;

    bool InitComPort();
    void CloseComPort();
    void ClearComPortInputBuffer();
    bool isOpen() const { return fd_.load() >= 0; }
    // errno of the last open that failed (EWOULDBLOCK: another program holds the line); 0 once
    // an open succeeded.
    int openError() const { return openError_.load(); }

    // --- used by the transmit and receive threads ---
    enum class WriteResult { Written, Failed, Short };
    WriteResult writeAll(std::span<const std::uint8_t> bytes);

    // Bytes queued in the driver; 0 when closed or on error.
    int queuedBytes();
    // Reads what is there without blocking; returns bytes read, 0 when nothing, -1 on failure.
    int readSome(std::span<std::uint8_t> out);

    enum class WaitResult { Readable, Woken, TimedOut, Gone };
    // Sleeps until the port has bytes, the doorbell rings, or the time-out passes.
    WaitResult waitReadable(FdWakeup& wakeup, std::chrono::milliseconds timeout);

  private:
    bool configure(int fd, int baudRate);
    void noteFailure(int error);

    LinkState& link_;
    PortSettings& settings_;
    TraceSink& trace_;
    std::array<std::string, PortSettings::kPortCount> paths_;
    std::string override_;
    mutable std::shared_mutex ioMutex_;  // close waits until no thread is inside a port call
    std::atomic<int> fd_{-1};
    std::atomic<int> openError_{0};
};

}  // namespace kvt
