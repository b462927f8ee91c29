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

class ProjectCommandsTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::unique_ptr<Records> records = makeRecords();
    FakeStrings strings;
    test::RecordingTrace trace;
    DevicePaths devices;
    ProjectContext context{*records, strings, trace, dir.str(), devices};
    ScriptedPrompts prompts;

    ProjectCommandsTest() {
        ResetProjectData(*records);
        SetDefaultNames(*records, strings);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    std::string fullPath() const { return fieldText(records->projectInfo.fullPath); }
    std::string fileName() const { return fieldText(records->projectInfo.fileName); }
};

TEST_F(ProjectCommandsTest, SaveProjectWritesUnderTheFullPathOrSaysWhyNot) {
    records->projectInfo.fullPath[0] = '\0';
    SaveOutcome outcome = SaveProject(context, prompts, true);
    EXPECT_EQ(outcome.result, save_result::kNoProject);
    EXPECT_TRUE(outcome.modified);
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_EQ(prompts.warnings[0].text, "No Project is open");
    EXPECT_EQ(prompts.warnings[0].caption, "Save Project");

    setProjectPath(records->projectInfo, path("p.KVT"), nullptr);
    outcome = SaveProject(context, prompts, true);
    EXPECT_EQ(outcome.result, save_result::kSaved);
    EXPECT_FALSE(outcome.modified);
    EXPECT_EQ(std::filesystem::file_size(dir / "p.KVT"), kProjectFileSize);
    EXPECT_EQ(prompts.warnings.size(), 1u);

    // A failure is told and keeps the project modified and the old file.
    const std::string old = readFile(dir / "p.KVT");
    ::chmod((dir / "p.KVT").c_str(), 0444);
    records->params.currentSet.SETPOINT_SPAN = 70;
    outcome = SaveProject(context, prompts, true);
    EXPECT_EQ(outcome.result, save_result::kWriteFailed);
    EXPECT_TRUE(outcome.modified);
    ASSERT_EQ(prompts.warnings.size(), 2u);
    EXPECT_NE(prompts.warnings[1].text.find(path("p.KVT")), std::string::npos);
    EXPECT_EQ(prompts.warnings[1].caption, "Save Project");
    EXPECT_EQ(readFile(dir / "p.KVT"), old);
}

TEST_F(ProjectCommandsTest, SaveProjectAsOffersTheProjectFilesAndStartsAtTheCurrentPath) {
    prompts.nextChoice.choice = ProjectPrompts::Choice::Cancelled;
    const SaveOutcome outcome = SaveProjectAs(context, prompts, true);
    EXPECT_EQ(outcome.result, save_result::kCancelled);
    EXPECT_TRUE(outcome.modified);
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    const ProjectPrompts::FileDialog& dialog = prompts.dialogs[0];
    EXPECT_TRUE(dialog.save);
    ASSERT_EQ(dialog.filters.size(), 2u);
    EXPECT_EQ(dialog.filters[0].description, "Project Files (*.KVT)");
    EXPECT_EQ(dialog.filters[0].pattern, "*.KVT");
    EXPECT_EQ(dialog.filters[1].description, "All Files (*.*)");
    EXPECT_EQ(dialog.filters[1].pattern, "*.*");
    EXPECT_EQ(dialog.defaultExtension, "KVT");
    EXPECT_EQ(dialog.initialPath, "UNKNOWN.KVT");
    EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

    prompts.nextChoice.choice = ProjectPrompts::Choice::Failed;
    EXPECT_EQ(SaveProjectAs(context, prompts, true).result, save_result::kDialogFailed);
}

TEST_F(ProjectCommandsTest, SaveProjectAsTheChosenNameGetsTheProjectExtension) {
    // The extension rule itself is held row by row in ProjectFileTest.
    prompts.choose(dir / "report.txt");
    SaveOutcome outcome = SaveProjectAs(context, prompts, true);
    EXPECT_EQ(outcome.result, save_result::kSaved);
    EXPECT_FALSE(outcome.modified);
    EXPECT_EQ(fileName(), "report.KVT");
    EXPECT_EQ(fullPath(), path("report.KVT"));
    EXPECT_TRUE(std::filesystem::exists(dir / "report.KVT"));
    EXPECT_EQ(prompts.dialogs.back().initialPath, "UNKNOWN.KVT");

    // The next dialog starts at the saved file.
    prompts.choose(dir / "other.txt");
    ASSERT_EQ(SaveProjectAs(context, prompts, false).result, save_result::kSaved);
    EXPECT_EQ(prompts.dialogs.back().initialPath, path("report.KVT"));
}

TEST_F(ProjectCommandsTest, SaveProjectAsAsksBeforeReplacingTheFileThatTheExtensionLeadsTo) {
    prompts.choose(dir / "plant");
    ASSERT_EQ(SaveProjectAs(context, prompts, false).result, save_result::kSaved);
    EXPECT_TRUE(prompts.questions.empty()) << "no such file yet";
    const std::string before = readFile(dir / "plant.KVT");

    records->projectInfo.projectVersion = 7;
    prompts.choose(dir / "plant.txt");
    prompts.answerYes = false;
    EXPECT_EQ(SaveProjectAs(context, prompts, true).result, save_result::kCancelled);
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_NE(prompts.questions[0].text.find(path("plant.KVT")), std::string::npos);
    EXPECT_EQ(readFile(dir / "plant.KVT"), before) << "No keeps the file";

    prompts.answerYes = true;
    EXPECT_EQ(SaveProjectAs(context, prompts, true).result, save_result::kSaved);
    EXPECT_NE(readFile(dir / "plant.KVT"), before);

    prompts.questions.clear();
    prompts.choose(dir / "plant.KVT");
    EXPECT_EQ(SaveProjectAs(context, prompts, false).result, save_result::kSaved);
    EXPECT_TRUE(prompts.questions.empty()) << "the file dialog already asked about this name";
}

TEST_F(ProjectCommandsTest, SaveProjectAsAFailureKeepsTheProjectWhereItWas) {
    setProjectPath(records->projectInfo, path("p.KVT"), nullptr);
    prompts.choose(dir / "missing-folder" / "q");
    const SaveOutcome outcome = SaveProjectAs(context, prompts, true);
    EXPECT_EQ(outcome.result, save_result::kWriteFailed);
    EXPECT_TRUE(outcome.modified);
    EXPECT_EQ(fullPath(), path("p.KVT"));
    EXPECT_EQ(fileName(), "p.KVT");
    EXPECT_EQ(prompts.warnings.size(), 1u);
}

TEST_F(ProjectCommandsTest, NewProjectAsksBeforeReplacingAnExistingFileAndNoKeepsItsBytes) {
    setProjectPath(records->projectInfo, path("p.KVT"), nullptr);
    SaveOutcome outcome = WriteNewProject(context, prompts, true);
    EXPECT_EQ(outcome.result, save_result::kSaved);
    EXPECT_FALSE(outcome.modified);
    EXPECT_TRUE(prompts.questions.empty()) << "a new file needs no question";

    const std::string old = readFile(dir / "p.KVT");
    records->params.currentSet.SETPOINT_SPAN = 70;
    prompts.answerYes = false;
    outcome = WriteNewProject(context, prompts, false);
    EXPECT_EQ(outcome.result, save_result::kCancelled);
    EXPECT_TRUE(outcome.modified) << "the new project is still to be saved";
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_NE(prompts.questions[0].text.find(path("p.KVT")), std::string::npos);
    EXPECT_EQ(readFile(dir / "p.KVT"), old);

    prompts.answerYes = true;
    outcome = WriteNewProject(context, prompts, true);
    EXPECT_EQ(outcome.result, save_result::kSaved);
    EXPECT_FALSE(outcome.modified);
    EXPECT_NE(readFile(dir / "p.KVT"), old);
}

TEST_F(ProjectCommandsTest, OpenProjectLoadsTheChosenFileAndAllowsWriting) {
    records->params.currentSet.SETPOINT_SPAN = 77;
    setProjectPath(records->projectInfo, path("saved.KVT"), nullptr);
    ASSERT_EQ(SaveProject(context, prompts, true).result, save_result::kSaved);
    ResetProjectData(*records);
    records->parameterWriteAllowed = 0;

    int loads = 0;
    prompts.choose(dir / "saved.KVT");
    const OpenOutcome outcome = OpenProject(context, prompts, false, [&] {
        ++loads;
        EXPECT_EQ(records->params.currentSet.SETPOINT_SPAN, 0) << "called before loading";
    });
    EXPECT_TRUE(outcome.opened);
    EXPECT_FALSE(outcome.modified);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(records->params.currentSet.SETPOINT_SPAN, 77);
    EXPECT_EQ(records->parameterWriteAllowed, 1);
    EXPECT_TRUE(prompts.questions.empty());
    ASSERT_EQ(prompts.dialogs.size(), 1u);
    EXPECT_FALSE(prompts.dialogs[0].save);
    EXPECT_EQ(prompts.dialogs[0].initialPath, "");
    EXPECT_TRUE(prompts.warnings.empty());
}

TEST_F(ProjectCommandsTest, OpenProjectOfAFileThatIsNoWholeProjectDoesNotAllowWriting) {
    setProjectPath(records->projectInfo, path("saved.KVT"), nullptr);
    ASSERT_EQ(SaveProject(context, prompts, false).result, save_result::kSaved);
    const std::string whole = readFile(dir / "saved.KVT");
    ASSERT_EQ(whole.size(), kProjectFileSize);
    for (const std::string& bytes : {std::string(), std::string(1000, '\x11'),
                                     whole.substr(0, kProjectFileSize - 1), whole + "x"}) {
        test::writeFile(dir / "odd.KVT", bytes);
        // Writing was allowed for the project open before.
        records->parameterWriteAllowed = 1;
        prompts.choose(dir / "odd.KVT");
        const OpenOutcome outcome = OpenProject(context, prompts, false, {});
        EXPECT_TRUE(outcome.opened) << bytes.size();
        EXPECT_EQ(records->parameterWriteAllowed, 0) << bytes.size();
        EXPECT_TRUE(prompts.warnings.empty()) << "opens without complaint";
    }
    prompts.choose(dir / "saved.KVT");
    EXPECT_TRUE(OpenProject(context, prompts, false, {}).opened);
    EXPECT_EQ(records->parameterWriteAllowed, 1);
}

TEST_F(ProjectCommandsTest, OpenProjectAModifiedProjectIsSavedFirstWhenTheUserSaysYes) {
    setProjectPath(records->projectInfo, path("current.KVT"), nullptr);
    prompts.answerYes = true;
    prompts.nextChoice.choice = ProjectPrompts::Choice::Cancelled;
    const OpenOutcome outcome = OpenProject(context, prompts, true, {});
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0].text, "Do you want to save the modified project ? ");
    EXPECT_EQ(prompts.questions[0].caption, "Open Project");
    EXPECT_TRUE(std::filesystem::exists(dir / "current.KVT"));
    EXPECT_FALSE(outcome.opened);
    EXPECT_FALSE(outcome.modified) << "the save cleared it";
    EXPECT_EQ(prompts.dialogs.size(), 1u) << "the file dialog came after the save";
}

TEST_F(ProjectCommandsTest, OpenProjectNoKeepsTheChangesUnsavedAndOpens) {
    setProjectPath(records->projectInfo, path("current.KVT"), nullptr);
    test::writeFile(dir / "other.KVT", std::string(100, '\0'));
    prompts.answerYes = false;
    prompts.choose(dir / "other.KVT");
    const OpenOutcome outcome = OpenProject(context, prompts, true, {});
    EXPECT_TRUE(outcome.opened);
    EXPECT_FALSE(outcome.modified);
    EXPECT_FALSE(std::filesystem::exists(dir / "current.KVT"));
    EXPECT_EQ(fullPath(), path("other.KVT"));
}

TEST_F(ProjectCommandsTest, OpenProjectAFailedSaveEndsTheCommand) {
    records->projectInfo.fullPath[0] = '\0';
    prompts.answerYes = true;
    prompts.choose(dir / "other.KVT");
    const OpenOutcome outcome = OpenProject(context, prompts, true, {});
    EXPECT_FALSE(outcome.opened);
    EXPECT_TRUE(outcome.modified);
    EXPECT_TRUE(prompts.dialogs.empty());
    ASSERT_EQ(prompts.warnings.size(), 1u);
    EXPECT_EQ(prompts.warnings[0].text, "No Project is open");
}

TEST_F(ProjectCommandsTest, OpenProjectAnUnreadableFileOrTooLongAPathIsReportedAndTheProjectStays) {
    setProjectPath(records->projectInfo, path("current.KVT"), nullptr);
    records->params.currentSet.SETPOINT_SPAN = 42;
    bool loaded = false;
    prompts.choose(dir / "none.KVT");
    const OpenOutcome outcome = OpenProject(context, prompts, true, [&] { loaded = true; });
    EXPECT_FALSE(outcome.opened);
    EXPECT_FALSE(outcome.modified) << "saved before the dialog";
    EXPECT_FALSE(loaded);
    EXPECT_EQ(records->params.currentSet.SETPOINT_SPAN, 42);
    ASSERT_FALSE(prompts.warnings.empty());
    EXPECT_EQ(prompts.warnings.back().text, "Could not open File\n" + path("none.KVT"));
    EXPECT_EQ(prompts.warnings.back().caption, "Open Project");

    std::filesystem::create_directory(dir / "folder.KVT");
    prompts.choose(dir / "folder.KVT");
    EXPECT_FALSE(OpenProject(context, prompts, false, {}).opened);
    EXPECT_EQ(prompts.warnings.back().text, "Could not open File\n" + path("folder.KVT"));

    // A path too long for the project's field is refused before anything changes.
    const std::size_t warned = prompts.warnings.size();
    prompts.choose(dir / (std::string(300, 'l') + ".KVT"));
    EXPECT_FALSE(OpenProject(context, prompts, false, {}).opened);
    EXPECT_EQ(records->params.currentSet.SETPOINT_SPAN, 42);
    ASSERT_EQ(prompts.warnings.size(), warned + 1);
    EXPECT_NE(prompts.warnings.back().text.find("at most 260"), std::string::npos);
}

}  // namespace
}  // namespace kvt
