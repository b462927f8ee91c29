#include <gtest/gtest.h>

#include <sys/stat.h>

#include "FileTestSupport.h"
#include "data/ComSettings.h"

namespace kvt {
namespace {

using test::readFile;
using test::writeFile;

TEST(ComSettings, PortTextsMatchExactly) {
    const char* names[] = {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"};
    for (int code = 0; code < 8; ++code) {
        EXPECT_EQ(portCodeFromText(names[code]), code);
        EXPECT_EQ(portTextFromCode(code), names[code]);
    }
    for (const char* other : {"com3", "COM3 ", " COM3", "COM10", "COM9", "COM0", "", "COM"}) {
        EXPECT_EQ(portCodeFromText(other), 0) << '"' << other << '"';
    }
    EXPECT_EQ(portTextFromCode(8), "COM1");
    EXPECT_EQ(portTextFromCode(-1), "COM1");
}

class ComSettingsFile : public ::testing::Test {
  protected:
    // Read and write at once, as the main window does at start-up.
    int startUp() {
        ReadComSettings(dir.path(), port, devices);
        WriteComSettings(dir.path(), port, devices);
        return port.portCode;
    }
    std::filesystem::path file() const { return dir / "KVT_com.ini"; }

    test::TempDir dir;
    PortSettings port;
    DevicePaths devices;
};

TEST_F(ComSettingsFile, StartUpReadsThePortAndRewritesOnlyWhatIsNotNormal) {
    struct Case {
        const char* before;  // nullptr: no file
        int port;
        const char* after;
        const char* why;
    };
    const Case cases[] = {
        {nullptr, 0, "[SERIAL-PORT]\nPORT=COM1\n", "a missing file gives COM1 and is made"},
        {"[SERIAL-PORT]\r\nPORT=COM8\r\n", 7, "[SERIAL-PORT]\r\nPORT=COM8\r\n", "already normal"},
        {"[SERIAL-PORT]\nPORT=COM10\n", 0, "[SERIAL-PORT]\nPORT=COM1\n", "no such port"},
        {"[serial-port]\nport =   COM4   \n", 3, "[serial-port]\nport =   COM4   \n",
         "names ignore case, values are trimmed"},
        {"[SERIAL-PORT]\nPORT=com4\n", 0, "[SERIAL-PORT]\nPORT=COM1\n",
         "the value itself is case-sensitive"},
        {"; top comment\r\n\r\n[SERIAL-PORT]\r\n; about the port\r\nPORT = COM2\r\n"
         "; trailing comment\r\n",
         1,
         "; top comment\r\n\r\n[SERIAL-PORT]\r\n; about the port\r\nPORT = COM2\r\n"
         "; trailing comment\r\n",
         "a file that holds what is written stays byte for byte"},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(file());
        if (c.before != nullptr) {
            writeFile(file(), c.before);
        }
        port.portCode = 5;
        port.baudCode = PortSettings::Baud57600;
        devices[2] = "stale";
        EXPECT_EQ(startUp(), c.port) << c.why;
        EXPECT_EQ(readFile(file()), c.after) << c.why;
        EXPECT_EQ(port.baudCode, PortSettings::Baud57600) << "the baud code is never read";
        EXPECT_EQ(devices[2], "") << c.why;
    }
    writeFile(file(), std::string("\xff\xfe[SERIAL-PORT\nPORT\n==\n[]\nPORT=COM5\n"));
    EXPECT_EQ(startUp(), 0) << "garbage gives COM1";
    ReadComSettings(dir.path(), port, devices);
    EXPECT_EQ(port.portCode, 0);
}

TEST_F(ComSettingsFile, DevicePathsAreReadAndWrittenBesideThePort) {
    writeFile(file(),
              "; kept\n[SERIAL-PORT]\nPORT=COM3\nSPEED=fast\n\n[DEVICES]\ncom3=/dev/ttyUSB0\n"
              "NOTE=adapter on the left\n\n[OTHER]\nX=1\n");
    EXPECT_EQ(startUp(), 2);
    EXPECT_EQ(devices[2], "/dev/ttyUSB0");
    EXPECT_EQ(devices[0], "");
    const std::string before = readFile(file());
    for (const char* kept : {"; kept", "SPEED=fast\n", "com3=/dev/ttyUSB0\n",
                             "NOTE=adapter on the left\n", "[OTHER]\nX=1\n"}) {
        EXPECT_NE(before.find(kept), std::string::npos) << kept;
    }

    devices[2].clear();
    devices[7] = "/dev/pts/4";
    port.portCode = 7;
    EXPECT_TRUE(WriteComSettings(dir.path(), port, devices));
    const std::string after = readFile(file());
    EXPECT_EQ(after.find("ttyUSB0"), std::string::npos) << "an empty path falls back to default";
    for (const char* kept : {"COM8=/dev/pts/4\n", "PORT=COM8\n", "NOTE=adapter on the left\n"}) {
        EXPECT_NE(after.find(kept), std::string::npos) << kept;
    }

    // A path with a line break is not stored: it would forge a line of its own.
    devices[1] = "/dev/ttyS1\nPORT=COM8";
    port.portCode = 0;
    EXPECT_TRUE(WriteComSettings(dir.path(), port, devices));
    DevicePaths back;
    ReadComSettings(dir.path(), port, back);
    EXPECT_EQ(port.portCode, 0);
    EXPECT_EQ(back[1], "");
}

TEST_F(ComSettingsFile, DevicePathsAreWindows1252InTheFile) {
    const std::string stored =
        "[SERIAL-PORT]\nPORT=COM2\n[DEVICES]\nCOM2=/dev/serial/M\xFCller-\x80\n";
    writeFile(file(), stored);
    EXPECT_EQ(startUp(), 1);
    EXPECT_EQ(devices[1], "/dev/serial/M\u00FCller-\u20AC");
    EXPECT_EQ(readFile(file()), stored) << "read and written back byte for byte";

    // A path Windows-1252 cannot hold leaves its key as it was.
    devices[1] = "/dev/serial/\u4E2D";
    devices[2] = "/dev/K\u00F6ln";
    EXPECT_TRUE(WriteComSettings(dir.path(), port, devices));
    const std::string after = readFile(file());
    EXPECT_NE(after.find("COM2=/dev/serial/M\xFCller-\x80\n"), std::string::npos);
    EXPECT_NE(after.find("COM3=/dev/K\xF6ln\n"), std::string::npos);
}

TEST_F(ComSettingsFile, AReadOnlyFileOrAnUnwritableFolderIsLeftAlone) {
    writeFile(file(), "[SERIAL-PORT]\nPORT=COM2\n");
    ASSERT_EQ(::chmod(file().c_str(), 0444), 0);
    EXPECT_TRUE(ReadComSettings(dir.path(), port, devices));
    EXPECT_EQ(port.portCode, 1);
    port.portCode = 4;
    EXPECT_FALSE(WriteComSettings(dir.path(), port, devices));
    EXPECT_EQ(readFile(file()), "[SERIAL-PORT]\nPORT=COM2\n");

    port.portCode = 3;
    EXPECT_TRUE(ReadComSettings(dir / "nowhere", port, devices));
    EXPECT_EQ(port.portCode, 0);
    EXPECT_FALSE(WriteComSettings(dir / "nowhere", port, devices));
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
}

}  // namespace
}  // namespace kvt
