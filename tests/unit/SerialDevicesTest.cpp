#include "data/SerialDevices.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "FileTestSupport.h"

namespace kvt {
namespace {

namespace fs = std::filesystem;

// A folder that mirrors the parts of /dev and /sys the lister reads.
class FakeSystemRoot {
  public:
    void device(const std::string& name) {
        fs::create_directories(dir_ / "dev");
        test::writeFile(dir_ / "dev" / name, "");
    }

    // A USB adapter: the device folder with maker and product, its interface, the tty's device
    // folder below it, and the class entry pointing there the way sysfs does (a relative link).
    void usbAdapter(const std::string& tty, const std::string& usbPath, const std::string& maker,
                    const std::string& product) {
        const fs::path usb = dir_ / "sys/devices/pci0000:00/0000:00:14.0" / usbPath;
        const fs::path ttyDevice = usb / (usbPath + ":1.0") / tty;
        fs::create_directories(ttyDevice);
        if (!maker.empty()) {
            test::writeFile(usb / "manufacturer", maker + "\n");
        }
        if (!product.empty()) {
            test::writeFile(usb / "product", product + "\n");
        }
        fs::create_directories(dir_ / "sys/class/tty" / tty);
        fs::create_symlink(fs::relative(ttyDevice, dir_ / "sys/class/tty" / tty),
                           dir_ / "sys/class/tty" / tty / "device");
        device(tty);
    }

    void uart(const std::string& tty, const std::string& type) {
        fs::create_directories(dir_ / "sys/class/tty" / tty);
        test::writeFile(dir_ / "sys/class/tty" / tty / "type", type + "\n");
        device(tty);
    }

    void byId(const std::string& name, const std::string& target) {
        fs::create_directories(dir_ / "dev/serial/by-id");
        fs::create_symlink("../../" + target, dir_ / "dev/serial/by-id" / name);
    }

    const fs::path& path() const { return dir_.path(); }

  private:
    test::TempDir dir_;
};

std::vector<std::string> pathsOf(const std::vector<SerialDevice>& devices) {
    std::vector<std::string> paths;
    for (const auto& d : devices) {
        paths.push_back(d.path);
    }
    return paths;
}

// The devices as the list shows them: the path, then maker and product when known.
std::vector<std::string> shown(const std::vector<SerialDevice>& devices) {
    std::vector<std::string> out;
    for (const auto& d : devices) {
        out.push_back(describeSerialDevice(d));
    }
    return out;
}

TEST(SerialDevicesTest, ListsTheSerialDevicesInGroupsAndNumericOrder) {
    FakeSystemRoot root;
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS5", "ttyUSB0", "null", "tty0",
                             "ttyUSBx", "ttyS", "ttyprintk"}) {
        root.device(name);
    }
    EXPECT_EQ(pathsOf(listSerialDevices(root.path())),
              (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10",
                                        "/dev/ttyACM0", "/dev/ttyS5"}));
}

TEST(SerialDevicesTest, MakerAndProductComeFromTheUsbDeviceAboveTheTty) {
    FakeSystemRoot root;
    root.usbAdapter("ttyUSB0", "usb1/1-2", "Acme Lines", "USB Serial 232");
    root.usbAdapter("ttyACM0", "usb1/1-3", "", "Modem Port");
    root.device("ttyUSB1");  // no sysfs entry at all
    EXPECT_EQ(shown(listSerialDevices(root.path())),
              (std::vector<std::string>{"/dev/ttyUSB0  (Acme Lines USB Serial 232)", "/dev/ttyUSB1",
                                        "/dev/ttyACM0  (Modem Port)"}));
}

TEST(SerialDevicesTest, UartEntriesWithoutAPortBehindThemAreLeftOut) {
    FakeSystemRoot root;
    root.uart("ttyS0", "4");
    root.uart("ttyS1", "0");
    root.uart("ttyS2", "0");
    root.device("ttyS3");  // sysfs says nothing: kept
    EXPECT_EQ(pathsOf(listSerialDevices(root.path())),
              (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyS3"}));
}

TEST(SerialDevicesTest, ByIdLinksFollowTheirTtyForMakerAndProduct) {
    FakeSystemRoot root;
    root.usbAdapter("ttyUSB0", "usb2/2-1", "Acme Lines", "USB Serial 232");
    root.byId("usb-Acme_Lines_USB_Serial_232_A1B2-if00-port0", "ttyUSB0");
    root.byId("usb-Other_Thing-if00", "ttyACM7");  // target gone
    EXPECT_EQ(
        shown(listSerialDevices(root.path())),
        (std::vector<std::string>{
            "/dev/ttyUSB0  (Acme Lines USB Serial 232)",
            "/dev/serial/by-id/usb-Acme_Lines_USB_Serial_232_A1B2-if00-port0  (Acme Lines USB "
            "Serial 232)",
            "/dev/serial/by-id/usb-Other_Thing-if00"}));
}

TEST(SerialDevicesTest, TheSearchForMakerStopsAtTheTopOfSysfs) {
    FakeSystemRoot root;
    // A maker file above /sys must not be taken for the adapter's.
    test::writeFile(root.path() / "manufacturer", "Wrong\n");
    fs::create_directories(root.path() / "sys/devices/platform/serial8250/tty/ttyS0");
    fs::create_directories(root.path() / "sys/class/tty/ttyS0");
    fs::create_symlink("../../../devices/platform/serial8250",
                       root.path() / "sys/class/tty/ttyS0/device");
    test::writeFile(root.path() / "sys/class/tty/ttyS0/type", "4\n");
    root.device("ttyS0");
    EXPECT_EQ(shown(listSerialDevices(root.path())), std::vector<std::string>{"/dev/ttyS0"});
}

TEST(SerialDevicesTest, AMissingOrEmptyRootGivesAnEmptyList) {
    FakeSystemRoot root;
    EXPECT_TRUE(listSerialDevices(root.path()).empty());
    EXPECT_TRUE(listSerialDevices(root.path() / "does-not-exist").empty());
}

}  // namespace
}  // namespace kvt
