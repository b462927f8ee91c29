#include <gtest/gtest.h>

#include <sys/stat.h>

#include "FileTestSupport.h"
#include "data/ProjectCommands.h"
#include "support/RecordingTrace.h"

namespace kvt {
namespace {

using test::FakeStrings;
using test::makeRecords;
using test::readFile;
using test::ScriptedPrompts;
using test::TempDir;

struct Commands {
    TempDir dir;
    std::unique_ptr<Records> records = makeRecords();
    FakeStrings strings;
    test::RecordingTrace trace;
    DevicePaths devices;
    ProjectContext context{*records, strings, trace, dir.str(), devices};
    ScriptedPrompts prompts;

    Commands() {
        ResetProjectData(*records);
        SetDefaultNames(*records, strings);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string fullPath() const { return fieldText(records->projectInfo.fullPath); }
    std::string fileName() const { return fieldText(records->projectInfo.fileName); }
};

TEST(SaveProject, WithoutAPathNoProjectIsOpen) {
    Commands c;
    c.records->projectInfo.fullPath[0] = '\0';
    const SaveOutcome outcome = SaveProject(c.context, c.prompts, true);
    EXPECT_EQ(outcome.result, save_result::kNoProject);
    EXPECT_TRUE(outcome.modified);
    ASSERT_EQ(c.prompts.warnings.size(), 1u);
    EXPECT_EQ(c.prompts.warnings[0].text, "No Project is open");
    EXPECT_EQ(c.prompts.warnings[0].caption, "Save Project");
}

TEST(SaveProject, WritesUnderTheFullPathAndClearsModified) {
    Commands c;
    setProjectPath(c.records->projectInfo, c.path("p.KVT"), nullptr);
    const SaveOutcome outcome = SaveProject(c.context, c.prompts, true);
    EXPECT_EQ(outcome.result, save_result::kSaved);
    EXPECT_FALSE(outcome.modified);
    EXPECT_EQ(std::filesystem::file_size(c.dir / "p.KVT"), kProjectFileSize);
    EXPECT_TRUE(c.prompts.warnings.empty());
}

TEST(SaveProject, AFailureIsToldAndKeepsModifiedAndTheOldFile) {
    Commands c;
    setProjectPath(c.records->projectInfo, c.path("p.KVT"), nullptr);
    ASSERT_EQ(SaveProject(c.context, c.prompts, true).result, save_result::kSaved);
    const std::string old = readFile(c.dir / "p.KVT");
    ::chmod((c.dir / "p.KVT").c_str(), 0444);
    c.records->params.currentSet.SETPOINT_SPAN = 70;

    const SaveOutcome outcome = SaveProject(c.context, c.prompts, true);
    EXPECT_EQ(outcome.result, save_result::kWriteFailed);
    EXPECT_TRUE(outcome.modified);
    ASSERT_EQ(c.prompts.warnings.size(), 1u);
    EXPECT_NE(c.prompts.warnings[0].text.find(c.path("p.KVT")), std::string::npos);
    EXPECT_EQ(c.prompts.warnings[0].caption, "Save Project");
    EXPECT_EQ(readFile(c.dir / "p.KVT"), old);
}

TEST(SaveProjectAs, OffersTheProjectFilesAndStartsAtTheCurrentPath) {
    Commands c;
    c.prompts.nextChoice.choice = ProjectPrompts::Choice::Cancelled;
    const SaveOutcome outcome = SaveProjectAs(c.context, c.prompts, true);
    EXPECT_EQ(outcome.result, save_result::kCancelled);
    EXPECT_TRUE(outcome.modified);
    ASSERT_EQ(c.prompts.dialogs.size(), 1u);
    const ProjectPrompts::FileDialog& dialog = c.prompts.dialogs[0];
    EXPECT_TRUE(dialog.save);
    ASSERT_EQ(dialog.filters.size(), 2u);
    EXPECT_EQ(dialog.filters[0].description, "Project Files (*.KVT)");
    EXPECT_EQ(dialog.filters[0].pattern, "*.KVT");
    EXPECT_EQ(dialog.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(dialog.filters[1].pattern, "*.*");
    EXPECT_EQ(dialog.defaultExtension, "KVT");
    EXPECT_EQ(dialog.initialPath, "UNKNOWN.KVT");
    EXPECT_TRUE(std::filesystem::is_empty(c.dir.path()));

    c.prompts.nextChoice.choice = ProjectPrompts::Choice::Failed;
    EXPECT_EQ(SaveProjectAs(c.context, c.prompts, true).result, save_result::kDialogFailed);
}

TEST(SaveProjectAs, TheChosenNameGetsTheProjectExtension) {
    Commands c;
    c.prompts.choose(c.dir / "report");
    SaveOutcome outcome = SaveProjectAs(c.context, c.prompts, true);
    EXPECT_EQ(outcome.result, save_result::kSaved);
    EXPECT_FALSE(outcome.modified);
    EXPECT_EQ(c.fileName(), "report.KVT");
    EXPECT_EQ(c.fullPath(), c.path("report.KVT"));
    EXPECT_TRUE(std::filesystem::exists(c.dir / "report.KVT"));
    EXPECT_EQ(c.prompts.dialogs.back().initialPath, "UNKNOWN.KVT");

    c.prompts.choose(c.dir / "other.txt");
    ASSERT_EQ(SaveProjectAs(c.context, c.prompts, false).result, save_result::kSaved);
    EXPECT_EQ(c.fileName(), "other.KVT");
    EXPECT_EQ(c.prompts.dialogs.back().initialPath, c.path("report.KVT"));

    c.prompts.choose(c.dir / std::string(28, 'n'));
    ASSERT_EQ(SaveProjectAs(c.context, c.prompts, false).result, save_result::kSaved);
    EXPECT_EQ(c.fileName(), std::string(25, 'n') + ".KVT");
    EXPECT_TRUE(std::filesystem::exists(c.dir / (std::string(25, 'n') + ".KVT")));
}

TEST(SaveProjectAs, AsksBeforeReplacingTheFileThatTheExtensionLeadsTo) {
    Commands c;
    c.prompts.choose(c.dir / "plant");
    ASSERT_EQ(SaveProjectAs(c.context, c.prompts, false).result, save_result::kSaved);
    EXPECT_TRUE(c.prompts.questions.empty()) << "no such file yet";
    const std::string before = readFile(c.dir / "plant.KVT");

    c.records->projectInfo.projectVersion = 7;
    c.prompts.choose(c.dir / "plant.txt");
    c.prompts.answerYes = false;
    EXPECT_EQ(SaveProjectAs(c.context, c.prompts, true).result, save_result::kCancelled);
    ASSERT_EQ(c.prompts.questions.size(), 1u);
    EXPECT_NE(c.prompts.questions[0].text.find(c.path("plant.KVT")), std::string::npos);
    EXPECT_EQ(readFile(c.dir / "plant.KVT"), before) << "No keeps the file";

    c.prompts.answerYes = true;
    EXPECT_EQ(SaveProjectAs(c.context, c.prompts, true).result, save_result::kSaved);
    EXPECT_NE(readFile(c.dir / "plant.KVT"), before);

    c.prompts.questions.clear();
    c.prompts.choose(c.dir / "plant.KVT");
    EXPECT_EQ(SaveProjectAs(c.context, c.prompts, false).result, save_result::kSaved);
    EXPECT_TRUE(c.prompts.questions.empty()) << "the file dialog already asked about this name";
}

TEST(SaveProjectAs, AFailureKeepsTheProjectWhereItWas) {
    Commands c;
    setProjectPath(c.records->projectInfo, c.path("p.KVT"), nullptr);
    c.prompts.choose(c.dir / "missing-folder" / "q");
    const SaveOutcome outcome = SaveProjectAs(c.context, c.prompts, true);
    EXPECT_EQ(outcome.result, save_result::kWriteFailed);
    EXPECT_TRUE(outcome.modified);
    EXPECT_EQ(c.fullPath(), c.path("p.KVT"));
    EXPECT_EQ(c.fileName(), "p.KVT");
    EXPECT_EQ(c.prompts.warnings.size(), 1u);
}

TEST(OpenProject, LoadsTheChosenFileAndAllowsWriting) {
    Commands c;
    c.records->params.currentSet.SETPOINT_SPAN = 77;
    setProjectPath(c.records->projectInfo, c.path("saved.KVT"), nullptr);
    ASSERT_EQ(SaveProject(c.context, c.prompts, true).result, save_result::kSaved);
    ResetProjectData(*c.records);
    c.records->parameterWriteAllowed = 0;

    int loads = 0;
    c.prompts.choose(c.dir / "saved.KVT");
    const OpenOutcome outcome = OpenProject(c.context, c.prompts, false, [&] {
        ++loads;
        EXPECT_EQ(c.records->params.currentSet.SETPOINT_SPAN, 0) << "called before loading";
    });
    EXPECT_TRUE(outcome.opened);
    EXPECT_FALSE(outcome.modified);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(c.records->params.currentSet.SETPOINT_SPAN, 77);
    EXPECT_EQ(c.records->parameterWriteAllowed, 1);
    EXPECT_TRUE(c.prompts.questions.empty());
    ASSERT_EQ(c.prompts.dialogs.size(), 1u);
    EXPECT_FALSE(c.prompts.dialogs[0].save);
    EXPECT_EQ(c.prompts.dialogs[0].initialPath, "");
    EXPECT_TRUE(c.prompts.warnings.empty());
}

TEST(OpenProject, AFileThatIsNoWholeProjectOpensButDoesNotAllowWriting) {
    Commands c;
    setProjectPath(c.records->projectInfo, c.path("saved.KVT"), nullptr);
    ASSERT_EQ(SaveProject(c.context, c.prompts, false).result, save_result::kSaved);
    const std::string whole = readFile(c.dir / "saved.KVT");
    ASSERT_EQ(whole.size(), kProjectFileSize);
    for (const std::string& bytes : {std::string(), std::string(1000, '\x11'),
                                     whole.substr(0, kProjectFileSize - 1), whole + "x"}) {
        test::writeFile(c.dir / "odd.KVT", bytes);
        // Writing was allowed for the project open before.
        c.records->parameterWriteAllowed = 1;
        c.prompts.choose(c.dir / "odd.KVT");
        const OpenOutcome outcome = OpenProject(c.context, c.prompts, false, {});
        EXPECT_TRUE(outcome.opened) << bytes.size();
        EXPECT_EQ(c.fullPath(), c.path("odd.KVT"));
        EXPECT_EQ(c.records->parameterWriteAllowed, 0) << bytes.size();
        EXPECT_TRUE(c.prompts.warnings.empty()) << "opens without complaint";
    }
    c.prompts.choose(c.dir / "saved.KVT");
    EXPECT_TRUE(OpenProject(c.context, c.prompts, false, {}).opened);
    EXPECT_EQ(c.records->parameterWriteAllowed, 1);
}

TEST(OpenProject, AModifiedProjectIsSavedFirstWhenTheUserSaysYes) {
    Commands c;
    setProjectPath(c.records->projectInfo, c.path("current.KVT"), nullptr);
    c.prompts.answerYes = true;
    c.prompts.nextChoice.choice = ProjectPrompts::Choice::Cancelled;
    const OpenOutcome outcome = OpenProject(c.context, c.prompts, true, {});
    ASSERT_EQ(c.prompts.questions.size(), 1u);
    EXPECT_EQ(c.prompts.questions[0].text, "Do you want to save the modified project ? ");
    EXPECT_EQ(c.prompts.questions[0].caption, "Open Project");
    EXPECT_TRUE(std::filesystem::exists(c.dir / "current.KVT"));
    EXPECT_FALSE(outcome.opened);
    EXPECT_FALSE(outcome.modified) << "the save cleared it";
    EXPECT_EQ(c.prompts.dialogs.size(), 1u) << "the file dialog came after the save";
}

TEST(OpenProject, NoKeepsTheChangesUnsavedAndOpens) {
    Commands c;
    setProjectPath(c.records->projectInfo, c.path("current.KVT"), nullptr);
    test::writeFile(c.dir / "other.KVT", std::string(100, '\0'));
    c.prompts.answerYes = false;
    c.prompts.choose(c.dir / "other.KVT");
    const OpenOutcome outcome = OpenProject(c.context, c.prompts, true, {});
    EXPECT_TRUE(outcome.opened);
    EXPECT_FALSE(outcome.modified);
    EXPECT_FALSE(std::filesystem::exists(c.dir / "current.KVT"));
    EXPECT_EQ(c.fullPath(), c.path("other.KVT"));
}

TEST(OpenProject, AFailedSaveEndsTheCommand) {
    Commands c;
    c.records->projectInfo.fullPath[0] = '\0';
    c.prompts.answerYes = true;
    c.prompts.choose(c.dir / "other.KVT");
    const OpenOutcome outcome = OpenProject(c.context, c.prompts, true, {});
    EXPECT_FALSE(outcome.opened);
    EXPECT_TRUE(outcome.modified);
    EXPECT_TRUE(c.prompts.dialogs.empty());
    ASSERT_EQ(c.prompts.warnings.size(), 1u);
    EXPECT_EQ(c.prompts.warnings[0].text, "No Project is open");
}

TEST(OpenProject, AnUnreadableFileIsReportedAndTheProjectStays) {
    Commands c;
    setProjectPath(c.records->projectInfo, c.path("current.KVT"), nullptr);
    c.records->params.currentSet.SETPOINT_SPAN = 42;
    bool loaded = false;
    c.prompts.choose(c.dir / "none.KVT");
    const OpenOutcome outcome = OpenProject(c.context, c.prompts, true, [&] { loaded = true; });
    EXPECT_FALSE(outcome.opened);
    EXPECT_FALSE(outcome.modified) << "saved before the dialog";
    EXPECT_FALSE(loaded);
    EXPECT_EQ(c.records->params.currentSet.SETPOINT_SPAN, 42);
    ASSERT_FALSE(c.prompts.warnings.empty());
    EXPECT_EQ(c.prompts.warnings.back().text, "Could not open File\n" + c.path("none.KVT"));
    EXPECT_EQ(c.prompts.warnings.back().caption, "Open Project");

    std::filesystem::create_directory(c.dir / "folder.KVT");
    c.prompts.choose(c.dir / "folder.KVT");
    EXPECT_FALSE(OpenProject(c.context, c.prompts, false, {}).opened);
    EXPECT_EQ(c.prompts.warnings.back().text, "Could not open File\n" + c.path("folder.KVT"));
}

TEST(OpenProject, APathTooLongIsRefusedBeforeAnythingChanges) {
    Commands c;
    c.records->params.currentSet.SETPOINT_SPAN = 42;
    c.prompts.choose(c.dir / (std::string(300, 'l') + ".KVT"));
    const OpenOutcome outcome = OpenProject(c.context, c.prompts, false, {});
    EXPECT_FALSE(outcome.opened);
    EXPECT_EQ(c.records->params.currentSet.SETPOINT_SPAN, 42);
    ASSERT_EQ(c.prompts.warnings.size(), 1u);
    EXPECT_NE(c.prompts.warnings[0].text.find("at most 260"), std::string::npos);
}

}  // namespace
}  // namespace kvt
