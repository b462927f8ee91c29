#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>
#include <ctime>
#include <optional>

#include "FileTestSupport.h"
#include "data/CommandLine.h"
#include "data/StartupEnvironment.h"

namespace kvt {
namespace {

TEST(CommandLine, SwitchesAreCaseInsensitiveSubstrings) {
    EXPECT_EQ(parseSwitches(""), StartupSwitches{});
    EXPECT_EQ(parseSwitches("project.KVT -TeStSiO").testMode, kTestModeSimulate);
    EXPECT_TRUE(parseSwitches("-LOGGING").log) << "a longer word that begins with the switch";
    const StartupSwitches both = parseSwitches("-TESTSIO-LOG");
    EXPECT_EQ(both.testMode, kTestModeSimulate);
    EXPECT_TRUE(both.log);
    EXPECT_FALSE(both.calibration);
    const StartupSwitches all = parseSwitches("x -cal y -log -testsio");
    EXPECT_TRUE(all.calibration);
    EXPECT_TRUE(all.log);
    EXPECT_EQ(all.testMode, kTestModeSimulate);
    EXPECT_EQ(parseSwitches("-CA L -LO G -TEST SIO"), StartupSwitches{});
    EXPECT_EQ(parseSwitches("LOG CAL TESTSIO"), StartupSwitches{}) << "the hyphen belongs to it";
}

TEST(CommandLine, OnlyTheFirst199CharactersAreSearched) {
    EXPECT_TRUE(parseSwitches(std::string(195, 'x') + "-CAL").calibration);
    EXPECT_FALSE(parseSwitches(std::string(196, 'x') + "-CAL").calibration);
    EXPECT_FALSE(parseSwitches(std::string(300, ' ') + "-LOG").log);
}

TEST(CommandLine, TheArgumentsFormTheCommandLine) {
    const char* argv[] = {"/usr/bin/kvt", "-TESTSIO", "file name.KVT", "-log"};
    EXPECT_EQ(commandLineText(4, argv), "-TESTSIO file name.KVT -log");
    EXPECT_EQ(commandLineText(1, argv), "");
    const StartupSwitches switches = parseSwitches(commandLineText(4, argv));
    EXPECT_TRUE(switches.log);
    EXPECT_EQ(switches.testMode, kTestModeSimulate);
}

TEST(StartupEnvironment, TheWorkingDirectoryHasNoTrailingSlash) {
    test::TempDir dir;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::string inTemp = currentWorkingDirectory();
    std::filesystem::current_path("/");
    const std::string atRoot = currentWorkingDirectory();
    std::filesystem::current_path(previous);
    EXPECT_EQ(inTemp, std::filesystem::canonical(dir.path()).string());
    EXPECT_NE(inTemp.back(), '/');
    EXPECT_EQ(atRoot, "/");
}

// Runs with TZ=UTC so that the stamp's local time is known.
struct UtcTime {
    const char* tz = std::getenv("TZ");
    const std::optional<std::string> previous = tz ? std::optional<std::string>(tz) : std::nullopt;
    UtcTime() { reset("UTC"); }
    ~UtcTime() { reset(previous ? previous->c_str() : nullptr); }
    static void reset(const char* value) {
        value != nullptr ? ::setenv("TZ", value, 1) : ::unsetenv("TZ");
        ::tzset();
    }
};

TEST(StartupEnvironment, TheBuildStampIsTheModificationTime) {
    UtcTime utc;
    test::TempDir dir;
    const auto file = dir / "kvt";
    test::writeFile(file, "program");
    // 2021-03-04 05:06:07 UTC
    const timespec times[2] = {{1614834367, 0}, {1614834367, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    EXPECT_EQ(buildStampOf(file), "20210304 050607");
    EXPECT_EQ(buildStampOf(dir / "missing"), "");
}

}  // namespace
}  // namespace kvt
