// kvt-report as a process: a PDF of the project without a display, and its exit codes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "ReportTestSupport.h"
#include "data/ProjectFile.h"

namespace kvt::test {
namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs kvt-report with neither a display nor a platform chosen in its environment.
ToolRun runReport(const TempDir& dir, const std::vector<std::string>& args) {
    const std::string outFile = dir.file("stdout.txt");
    const std::string errFile = dir.file("stderr.txt");
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        std::string program = KVT_REPORT_PATH;
        std::vector<std::string> copies = args;
        std::vector<char*> argv{program.data()};
        for (std::string& a : copies) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ToolRun run;
    int status = 0;
    if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    run.out = readFile(outFile);
    run.err = readFile(errFile);
    return run;
}

class ReportToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        project = dir.file("PUMP4.KVT");
        writeFile(project, encodeProject(*knownProject()));
    }

    TempDir dir;
    std::string project;
};

TEST_F(ReportToolTest, WritesThePagesOfEachObjectWithoutADisplay) {
    KVT_REQUIRE_PDF_TOOLS();
    const std::pair<const char*, int> objects[] = {{"all", 6}, {"parameters", 4}, {"scope", 3}};
    for (const auto& [object, pages] : objects) {
        SCOPED_TRACE(object);
        const std::string pdf = dir.file(std::string(object) + ".pdf");
        const ToolRun run = runReport(dir, {project, "-o", pdf, "--object", object});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.err, "");
        const PdfFacts facts = readPdf(pdf);
        EXPECT_EQ(facts.pages, pages);
        EXPECT_TRUE(facts.landscape());
        ASSERT_FALSE(facts.pageTexts.empty());
        EXPECT_NE(facts.lineWith(0, "Project Name:").find("Pump station 4"), std::string::npos);
        EXPECT_NE(facts.pageTexts.back().find("Page " + std::to_string(pages) + " / " +
                                              std::to_string(pages)),
                  std::string::npos);
    }
    // The whole report by default; a project file holds no device set: nothing was read.
    const std::string pdf = dir.file("default.pdf");
    ASSERT_EQ(runReport(dir, {project, "-o", pdf}).exitCode, 0);
    const PdfFacts facts = readPdf(pdf);
    EXPECT_EQ(facts.pages, 6);
    const std::string gain = facts.lineWith(1, "Proportional Gain");
    EXPECT_NE(gain.find("--"), std::string::npos) << gain;
}

TEST_F(ReportToolTest, UsageErrorsExitOneWithTheUsage) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {project},
        {"-o", dir.file("x.pdf")},
        {project, "-o"},
        {project, "-o", dir.file("x.pdf"), "--object", "graph"},
        {project, "-o", dir.file("x.pdf"), "--colour"},
        {project, project, "-o", dir.file("x.pdf")},
    };
    for (const auto& args : bad) {
        const ToolRun run = runReport(dir, args);
        EXPECT_EQ(run.exitCode, 1) << ::testing::PrintToString(args);
        EXPECT_NE(run.err.find("usage: kvt-report PROJECT.KVT -o REPORT.pdf"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "x.pdf"));
    const ToolRun help = runReport(dir, {"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--object"), std::string::npos);
}

TEST_F(ReportToolTest, FileErrorsExitFourWithTheReasonAndLeaveNoPdf) {
    const std::string kept = dir.file("kept.pdf");
    writeFile(kept, "an older report");
    writeFile(dir.file("short.KVT"), "not a project");
    struct Case {
        std::string project;
        std::string output;
        std::string reason;
    };
    const Case cases[] = {
        {dir.file("missing.KVT"), kept, "No such file or directory"},
        {dir.file("short.KVT"), kept, "is not a project file"},
        {dir.str(), kept, "cannot read"},
        {project, dir.file("no-folder/report.pdf"), "cannot write"},
    };
    for (const Case& c : cases) {
        const ToolRun run = runReport(dir, {c.project, "-o", c.output});
        EXPECT_EQ(run.exitCode, 4) << c.project;
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
        // One line: the program's name and the reason.
        EXPECT_EQ(run.err.rfind("kvt-report: ", 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_EQ(readFile(kept), "an older report");
    EXPECT_FALSE(std::filesystem::exists(dir / "no-folder"));
}

}  // namespace
}  // namespace kvt::test
