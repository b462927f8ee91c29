#include <gtest/gtest.h>

#include <sys/stat.h>

#include "FileTestSupport.h"
#include "data/ComSettings.h"

namespace kvt {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

constexpr const char* kFile = "KVT_com.ini";

// Read and write at once, as the main window does at start-up.
int startUp(const TempDir& dir, PortSettings& port, DevicePaths& devices) {
    ReadComSettings(dir.path(), port, devices);
    WriteComSettings(dir.path(), port, devices);
    return port.portCode;
}

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

TEST(ComSettings, AMissingFileGivesCom1AndIsCreated) {
    TempDir dir;
    PortSettings port;
    port.portCode = 5;
    port.baudCode = PortSettings::Baud57600;
    DevicePaths devices;
    devices[2] = "stale";
    EXPECT_EQ(startUp(dir, port, devices), 0);
    EXPECT_EQ(port.baudCode, PortSettings::Baud57600) << "the baud code is never read";
    EXPECT_EQ(devices[2], "");
    EXPECT_EQ(readFile(dir / kFile), "[SERIAL-PORT]\nPORT=COM1\n");
}

TEST(ComSettings, Com8IsReadAndCom10IsRewrittenAsCom1) {
    TempDir dir;
    PortSettings port;
    DevicePaths devices;
    writeFile(dir / kFile, "[SERIAL-PORT]\r\nPORT=COM8\r\n");
    EXPECT_EQ(startUp(dir, port, devices), 7);
    EXPECT_EQ(readFile(dir / kFile), "[SERIAL-PORT]\r\nPORT=COM8\r\n") << "already normal";

    writeFile(dir / kFile, "[SERIAL-PORT]\nPORT=COM10\n");
    EXPECT_EQ(startUp(dir, port, devices), 0);
    EXPECT_EQ(readFile(dir / kFile), "[SERIAL-PORT]\nPORT=COM1\n");
}

TEST(ComSettings, ProfileRulesApplyToNamesAndValues) {
    TempDir dir;
    PortSettings port;
    DevicePaths devices;
    writeFile(dir / kFile, "[serial-port]\nport =   COM4   \n");
    EXPECT_EQ(startUp(dir, port, devices), 3) << "names ignore case, values are trimmed";
    EXPECT_EQ(readFile(dir / kFile), "[serial-port]\nport =   COM4   \n");

    writeFile(dir / kFile, "[SERIAL-PORT]\nPORT=com4\n");
    EXPECT_EQ(startUp(dir, port, devices), 0) << "the value itself is case-sensitive";
    EXPECT_EQ(readFile(dir / kFile), "[SERIAL-PORT]\nPORT=COM1\n");
}

TEST(ComSettings, DevicePathsAreReadAndWrittenBesideThePort) {
    TempDir dir;
    PortSettings port;
    DevicePaths devices;
    writeFile(dir / kFile,
              "; kept\n[SERIAL-PORT]\nPORT=COM3\nSPEED=fast\n\n[DEVICES]\ncom3=/dev/ttyUSB0\n"
              "NOTE=adapter on the left\n\n[OTHER]\nX=1\n");
    EXPECT_EQ(startUp(dir, port, devices), 2);
    EXPECT_EQ(devices[2], "/dev/ttyUSB0");
    EXPECT_EQ(devices[0], "");
    const std::string before = readFile(dir / kFile);
    EXPECT_NE(before.find("; kept"), std::string::npos);
    EXPECT_NE(before.find("SPEED=fast\n"), std::string::npos);
    EXPECT_NE(before.find("com3=/dev/ttyUSB0\n"), std::string::npos);
    EXPECT_NE(before.find("NOTE=adapter on the left\n"), std::string::npos);
    EXPECT_NE(before.find("[OTHER]\nX=1\n"), std::string::npos);

    devices[2].clear();
    devices[7] = "/dev/pts/4";
    port.portCode = 7;
    EXPECT_TRUE(WriteComSettings(dir.path(), port, devices));
    const std::string after = readFile(dir / kFile);
    EXPECT_EQ(after.find("ttyUSB0"), std::string::npos) << "an empty path falls back to default";
    EXPECT_NE(after.find("COM8=/dev/pts/4\n"), std::string::npos);
    EXPECT_NE(after.find("PORT=COM8\n"), std::string::npos);
    EXPECT_NE(after.find("NOTE=adapter on the left\n"), std::string::npos);
}

TEST(ComSettings, AFileThatHoldsWhatIsWrittenStaysByteForByte) {
    TempDir dir;
    PortSettings port;
    DevicePaths devices;
    const std::string content =
        "; top comment\r\n\r\n[SERIAL-PORT]\r\n; about the port\r\nPORT = COM2\r\n"
        "; trailing comment\r\n";
    writeFile(dir / kFile, content);
    EXPECT_EQ(startUp(dir, port, devices), 1);
    EXPECT_EQ(readFile(dir / kFile), content);
}

TEST(ComSettings, APathWithALineBreakIsNotStored) {
    TempDir dir;
    PortSettings port;
    DevicePaths devices;
    devices[1] = "/dev/ttyS1\nPORT=COM8";
    EXPECT_TRUE(WriteComSettings(dir.path(), port, devices));
    DevicePaths back;
    ReadComSettings(dir.path(), port, back);
    EXPECT_EQ(port.portCode, 0);
    EXPECT_EQ(back[1], "");
}

TEST(ComSettings, AReadOnlyFileKeepsItsContent) {
    TempDir dir;
    PortSettings port;
    DevicePaths devices;
    writeFile(dir / kFile, "[SERIAL-PORT]\nPORT=COM2\n");
    ASSERT_EQ(::chmod((dir / kFile).c_str(), 0444), 0);
    EXPECT_TRUE(ReadComSettings(dir.path(), port, devices));
    EXPECT_EQ(port.portCode, 1);
    port.portCode = 4;
    EXPECT_FALSE(WriteComSettings(dir.path(), port, devices));
    EXPECT_EQ(readFile(dir / kFile), "[SERIAL-PORT]\nPORT=COM2\n");
}

TEST(ComSettings, AnUnwritableFolderGivesCom1AndNoFile) {
    TempDir dir;
    PortSettings port;
    port.portCode = 3;
    DevicePaths devices;
    EXPECT_TRUE(ReadComSettings(dir / "nowhere", port, devices));
    EXPECT_EQ(port.portCode, 0);
    EXPECT_FALSE(WriteComSettings(dir / "nowhere", port, devices));
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
}

TEST(ComSettings, GarbageGivesCom1) {
    TempDir dir;
    PortSettings port;
    DevicePaths devices;
    writeFile(dir / kFile, std::string("\xff\xfe[SERIAL-PORT\nPORT\n==\n[]\nPORT=COM5\n"));
    EXPECT_EQ(startUp(dir, port, devices), 0);
    ReadComSettings(dir.path(), port, devices);
    EXPECT_EQ(port.portCode, 0);
}

}  // namespace
}  // namespace kvt
