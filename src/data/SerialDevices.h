#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kvt {

// A serial device the user may put behind a port choice.
struct SerialDevice {
    std::string path;     // as opened, e.g. "/dev/ttyUSB0" or "/dev/serial/by-id/..."
    std::string maker;    // the USB adapter's manufacturer; empty when the system does not say
    std::string product;  // the USB adapter's product name; empty when unknown
};

// The serial devices present below `root` ("/" on a running system; tests hand a folder that
// mirrors /dev and /sys): /dev/ttyUSB<n>, /dev/ttyACM<n>, /dev/ttyS<n> and every entry of
// /dev/serial/by-id, in that order, numbers in numeric order. A /dev/ttyS<n> whose sysfs entry
// says that no UART is behind it (type 0) is left out: the kernel makes many of those. Maker and
// product come from the USB device that sysfs shows above the tty, for a by-id link from the tty
// it points to. The paths are those of the running system, without `root`. Never throws.
std::vector<SerialDevice> listSerialDevices(const std::filesystem::path& root = "/");

// "path" alone, or "path  (maker product)" when either is known.
std::string describeSerialDevice(const SerialDevice& device);

}  // namespace kvt
