#include "link/SerialPort.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>

#include "data/Format.h"
#include "link/FrameExtractor.h"

namespace kvt {
namespace {

speed_t speedOf(int baudRate) {
    switch (baudRate) {
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 57600:
            return B57600;
        default:
            return B0;
    }
}

// The errors with which a port says that its device has gone away.
bool isDeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

}  // namespace

SerialPort::SerialPort(LinkState& link, PortSettings& settings, TraceSink& trace)
    : link_(link), settings_(settings), trace_(trace) {}

SerialPort::~SerialPort() {
    const int fd = fd_.exchange(-1);
    if (fd >= 0) {
        ::close(fd);
    }
}

void SerialPort::setDevicePath(int portCode, std::string path) {
    if (portCode >= 0 && portCode < PortSettings::kPortCount) {
        paths_[portCode] = std::move(path);
    }
}

void SerialPort::setDeviceOverride(std::string path) {
    override_ = std::move(path);
}

std::string SerialPort::devicePath(int portCode) const {
    if (!override_.empty()) {
        return override_;
    }
    if (portCode >= 0 && portCode < PortSettings::kPortCount && !paths_[portCode].empty()) {
        return paths_[portCode];
    }
    return defaultDevicePath(portCode);
}

bool SerialPort::InitComPort() {
    const int baudCode = settings_.baudCode.load();
    int baudRate = 0;
    if (baudCode == PortSettings::BaudUnknown) {
        trace_.info(" Init Com Port, unknown Baudrate");
    } else if (baudCode >= PortSettings::Baud9600 && baudCode <= PortSettings::Baud57600) {
        baudRate = baudRateOf(baudCode);
        trace_.info(format(" Init Com Port, Baudrate %d", baudRate));
    } else {
        trace_.info(format(" Init Com Port, not supported Baudrate: %d", baudCode));
        return false;
    }

    const int portCode = settings_.portCode.load();
    if (portCode < 0 || portCode >= PortSettings::kPortCount) {
        trace_.info(format(" Init Com Port, not supported Com: %d", portCode));
        return false;
    }
    CloseComPort();

    const std::string path = devicePath(portCode);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        openError_ = errno;
        trace_.info(format(" Init Com Port, Handle error: %d", errno));
        return false;
    }
    // Nobody else may drive the line while the tool does: TIOCEXCL keeps out other opens, except
    // those of root, and the lock keeps out a second copy of the tool whoever runs it (two
    // programs taking turns on one line would read each other's replies).
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        openError_ = error;
        trace_.info(format(" Init Com Port, Handle error: %d", error));
        return false;
    }
    ::ioctl(fd, TIOCEXCL);
    openError_ = 0;
    fd_ = fd;

    if (!configure(fd, baudRate)) {
        trace_.info(format(" Init Com Port, CommState error: %d", errno));
        CloseComPort();
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0) {
        trace_.info(format(" Init Com Port, CommTimeout error: %d", errno));
        CloseComPort();
        return false;
    }
    // Linux has no per-port queue size to ask for: the kernel's buffer is traced and kept.
    trace_.info(format(" RxQueue: %d bytes", kKernelRxQueue));

    ClearComPortInputBuffer();
    ClearRcvQueue(link_, trace_);
    link_.deviceGone = 0;
    link_.portOpen = 1;
    link_.wake(ThreadId::ReadCom);
    link_.wake(ThreadId::WriteCom);
    trace_.info(format(" Init Com Port, ok with Baudrate: %d", baudRate));
    return true;
}

bool SerialPort::configure(int fd, int baudRate) {
    if (baudRate == 0) {
        // B0 would hang up the line; an unknown rate is refused like a bad line setting.
        errno = EINVAL;
        return false;
    }
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0) {
        return false;
    }
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNBRK | BRKINT |
                                          PARMRK | IGNPAR);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    const speed_t speed = speedOf(baudRate);
    if (::cfsetispeed(&tio, speed) != 0 || ::cfsetospeed(&tio, speed) != 0) {
        return false;
    }
    if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
        return false;
    }
    // DTR and RTS are not driven; pseudo-terminals have no modem lines and refuse the request.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (::ioctl(fd, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL) {
        return false;
    }
    return true;
}

void SerialPort::CloseComPort() {
    link_.portOpen = 0;
    if (fd_.load() < 0) {
        return;
    }
    // The receive thread may sleep in poll() on the port: ring it out before taking the lock.
    link_.wake(ThreadId::ReadCom);
    std::unique_lock lock(ioMutex_);
    const int fd = fd_.exchange(-1);
    if (fd >= 0) {
        trace_.info(" Close Com Port");
        ::close(fd);
    }
}

void SerialPort::ClearComPortInputBuffer() {
    std::shared_lock lock(ioMutex_);
    const int fd = fd_.load();
    if (fd < 0) {
        return;
    }
    long total = 0;
    std::uint8_t scratch[100];
    for (;;) {
        int queued = 0;
        if (::ioctl(fd, FIONREAD, &queued) != 0 || queued <= 0) {
            break;
        }
        const ssize_t got = ::read(fd, scratch, sizeof scratch);
        // A pulled adapter can keep reporting queued bytes: stop when a read yields nothing.
        if (got <= 0) {
            break;
        }
        total += got;
    }
    trace_.info(format("ClearComPortInputBuffer: %ld", total));
}

SerialPort::WriteResult SerialPort::writeAll(std::span<const std::uint8_t> bytes) {
    std::shared_lock lock(ioMutex_);
    const int fd = fd_.load();
    if (fd < 0) {
        return WriteResult::Failed;
    }
    std::size_t done = 0;
    // Writes have no time-out of their own; this bound only keeps a stuck driver from holding the
    // transmit thread past link control's send time-out.
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(link_.timing.sendTimeoutMs);
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            noteFailure(errno);
            return WriteResult::Failed;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd entry{fd, POLLOUT, 0};
        if (::poll(&entry, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            break;
        }
        if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            noteFailure(EIO);
            return done == 0 ? WriteResult::Failed : WriteResult::Short;
        }
    }
    return done == bytes.size() ? WriteResult::Written : WriteResult::Short;
}

int SerialPort::queuedBytes() {
    std::shared_lock lock(ioMutex_);
    const int fd = fd_.load();
    int queued = 0;
    if (fd < 0 || ::ioctl(fd, FIONREAD, &queued) != 0) {
        return 0;
    }
    return queued;
}

int SerialPort::readSome(std::span<std::uint8_t> out) {
    std::shared_lock lock(ioMutex_);
    const int fd = fd_.load();
    if (fd < 0) {
        return -1;
    }
    const ssize_t n = ::read(fd, out.data(), out.size());
    if (n < 0) {
        if (errno == EAGAIN || errno == EINTR) {
            return 0;
        }
        noteFailure(errno);
        return -1;
    }
    return static_cast<int>(n);
}

SerialPort::WaitResult SerialPort::waitReadable(FdWakeup& wakeup,
                                                std::chrono::milliseconds timeout) {
    std::shared_lock lock(ioMutex_);
    const int fd = fd_.load();
    if (fd < 0) {
        lock.unlock();
        return wakeup.waitFor(timeout) ? WaitResult::Woken : WaitResult::TimedOut;
    }
    pollfd entries[2] = {{fd, POLLIN, 0}, {wakeup.fd(), POLLIN, 0}};
    const int ready = ::poll(entries, 2, static_cast<int>(timeout.count()));
    if (ready <= 0) {
        return WaitResult::TimedOut;
    }
    if ((entries[1].revents & POLLIN) != 0) {
        wakeup.consume();
    }
    if ((entries[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        // A hung-up line stays "readable" for ever; only bytes still queued count.
        int queued = 0;
        if (::ioctl(fd, FIONREAD, &queued) == 0 && queued > 0) {
            return WaitResult::Readable;
        }
        noteFailure(EIO);
        return WaitResult::Gone;
    }
    if ((entries[0].revents & POLLIN) != 0) {
        return WaitResult::Readable;
    }
    return WaitResult::Woken;
}

void SerialPort::noteFailure(int error) {
    if (isDeviceGone(error) && link_.deviceGone.exchange(1) == 0) {
        link_.wake(ThreadId::Action);
        link_.wake(ThreadId::MainCtrl);
    }
}

}  // namespace kvt
