#include "data/SerialDevices.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>
#include <system_error>

namespace kvt {
namespace {

namespace fs = std::filesystem;

// Device name prefixes of /dev, in the order the list shows them.
constexpr std::array<std::string_view, 3> kTtyPrefixes = {"ttyUSB", "ttyACM", "ttyS"};
constexpr std::string_view kUartPrefix = "ttyS";
constexpr const char* kByIdFolder = "dev/serial/by-id";
constexpr const char* kTtyClassFolder = "sys/class/tty";
// How far above the tty's device folder the USB device may lie (interface, port, device).
constexpr int kMaxSysfsClimb = 8;

// The first line of a small sysfs file, without surrounding blanks; empty when unreadable.
std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) {
        return {};
    }
    const auto first = line.find_first_not_of(" \t\r");
    const auto last = line.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : line.substr(first, last - first + 1);
}

// The number after `prefix` when the whole rest of `name` is digits.
bool numberAfter(std::string_view name, std::string_view prefix, long& number) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) {
        return false;
    }
    number = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9' || number > 1000000) {
            return false;
        }
        number = number * 10 + (c - '0');
    }
    return true;
}

// True when `dir` lies below `top` (and is not `top` itself).
bool strictlyBelow(const fs::path& dir, const fs::path& top) {
    const auto [topEnd, dirAt] = std::mismatch(top.begin(), top.end(), dir.begin(), dir.end());
    return topEnd == top.end() && dirAt != dir.end();
}

// Maker and product of the USB device above the tty, from sysfs.
void describeFromSysfs(const fs::path& root, const std::string& ttyName, SerialDevice& device) {
    std::error_code ec;
    const fs::path sysRoot = fs::weakly_canonical(root / "sys", ec);
    fs::path dir = fs::canonical(root / kTtyClassFolder / ttyName / "device", ec);
    if (ec) {
        return;
    }
    for (int level = 0; level < kMaxSysfsClimb && strictlyBelow(dir, sysRoot); ++level) {
        const std::string maker = firstLine(dir / "manufacturer");
        const std::string product = firstLine(dir / "product");
        if (!maker.empty() || !product.empty()) {
            device.maker = maker;
            device.product = product;
            return;
        }
        dir = dir.parent_path();
    }
}

// False for a ttyS<n> that sysfs marks as having no UART (type 0); true when sysfs says nothing.
bool uartPresent(const fs::path& root, const std::string& ttyName) {
    const std::string type = firstLine(root / kTtyClassFolder / ttyName / "type");
    return type != "0";
}

void addTtyDevices(const fs::path& root, std::vector<SerialDevice>& out) {
    struct Found {
        std::size_t group;
        long number;
        std::string name;
    };
    std::vector<Found> found;
    std::error_code ec;
    for (fs::directory_iterator it(root / "dev", ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        for (std::size_t group = 0; group < kTtyPrefixes.size(); ++group) {
            long number = 0;
            if (numberAfter(name, kTtyPrefixes[group], number)) {
                found.push_back({group, number, name});
                break;
            }
        }
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.group != b.group ? a.group < b.group : a.number < b.number;
    });
    for (const Found& f : found) {
        if (kTtyPrefixes[f.group] == kUartPrefix && !uartPresent(root, f.name)) {
            continue;
        }
        SerialDevice device;
        device.path = "/dev/" + f.name;
        describeFromSysfs(root, f.name, device);
        out.push_back(std::move(device));
    }
}

void addByIdLinks(const fs::path& root, std::vector<SerialDevice>& out) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(root / kByIdFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        SerialDevice device;
        device.path = std::string("/") + kByIdFolder + "/" + name;
        std::error_code linkError;
        const fs::path target = fs::read_symlink(root / kByIdFolder / name, linkError);
        if (!linkError) {
            describeFromSysfs(root, target.filename().string(), device);
        }
        out.push_back(std::move(device));
    }
}

}  // namespace

std::vector<SerialDevice> listSerialDevices(const fs::path& root) {
    std::vector<SerialDevice> devices;
    addTtyDevices(root, devices);
    addByIdLinks(root, devices);
    return devices;
}

std::string describeSerialDevice(const SerialDevice& device) {
    std::string about = device.maker;
    if (!device.product.empty()) {
        about += about.empty() ? device.product : " " + device.product;
    }
    return about.empty() ? device.path : device.path + "  (" + about + ")";
}

}  // namespace kvt
