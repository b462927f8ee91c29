#include "data/ProjectCommands.h"

#include <filesystem>

#include "data/FileIo.h"
#include "data/Format.h"
#include "data/ProgramFiles.h"

namespace kvt {
namespace {

// String ids of the project commands.
constexpr int kCouldNotOpenFile = 25;
constexpr int kOpenProject = 26;
constexpr int kNoProjectOpen = 27;
constexpr int kSaveProject = 28;
constexpr int kSaveModified = 32;
constexpr int kProjectFiles = 50;
constexpr int kAllFiles = 51;

// The text after the last separator, or the whole path when it has none.
std::string_view lastPathPart(std::string_view path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The chosen path with its last part replaced by the file name.
std::string withFileName(const std::string& path, const std::string& fileName) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? fileName : path.substr(0, slash + 1) + fileName;
}

SaveOutcome write(ProjectContext& context, ProjectPrompts& prompts, bool modified,
                  const std::string& path) {
    const ProjectFileResult written = WriteProjectFile(path, context);
    if (!written.ok) {
        prompts.warn(written.message, context.strings.text(kSaveProject));
        return {save_result::kWriteFailed, modified};
    }
    return {save_result::kSaved, false};
}

// Asked before Save as replaces a file the file dialog did not ask about.
constexpr const char* kReplaceQuestion = "%s already exists.\nDo you want to replace it?";

}  // namespace

ProjectPrompts::FileDialog projectFileDialog(Strings& strings, bool save,
                                             const std::string& initialPath) {
    ProjectPrompts::FileDialog dialog;
    dialog.save = save;
    dialog.filters.push_back(
        {format("%s (*.%s)", strings.text(kProjectFiles).c_str(), kProjectExtension),
         format("*.%s", kProjectExtension)});
    dialog.filters.push_back({strings.text(kAllFiles) + " (*.*)", "*.*"});
    dialog.defaultExtension = kProjectExtension;
    dialog.initialPath = initialPath;
    return dialog;
}

SaveOutcome SaveProject(ProjectContext& context, ProjectPrompts& prompts, bool modified) {
    const std::string path = fieldText(context.records.projectInfo.fullPath);
    if (path.empty()) {
        prompts.warn(context.strings.text(kNoProjectOpen), context.strings.text(kSaveProject));
        return {save_result::kNoProject, modified};
    }
    return write(context, prompts, modified, path);
}

SaveOutcome SaveProjectAs(ProjectContext& context, ProjectPrompts& prompts, bool modified) {
    const std::string current = fieldText(context.records.projectInfo.fullPath);
    if (current.empty()) {
        prompts.warn(context.strings.text(kNoProjectOpen), context.strings.text(kSaveProject));
        return {save_result::kNoProject, modified};
    }
    const auto choice = prompts.chooseFile(projectFileDialog(context.strings, true, current));
    if (choice.choice == ProjectPrompts::Choice::Cancelled) {
        return {save_result::kCancelled, modified};
    }
    if (choice.choice == ProjectPrompts::Choice::Failed) {
        return {save_result::kDialogFailed, modified};
    }
    const std::string chosenName(lastPathPart(choice.fullPath));
    const std::string name = forceProjectExtension(chosenName);
    const std::string target = withFileName(choice.fullPath, name);
    // The file dialog asked about the name the user chose; when the extension changes that name,
    // the file actually written is another one, and it may exist too.
    std::error_code error;
    if (name != chosenName && std::filesystem::exists(target, error) &&
        !prompts.askYesNo(format(kReplaceQuestion, target.c_str()),
                          context.strings.text(kSaveProject))) {
        return {save_result::kCancelled, modified};
    }
    return write(context, prompts, modified, target);
}

SaveOutcome WriteNewProject(ProjectContext& context, ProjectPrompts& prompts, bool modified) {
    const std::string path = fieldText(context.records.projectInfo.fullPath);
    const std::string caption = context.strings.text(ids::kAppTitle);
    std::error_code error;
    if (std::filesystem::exists(path, error) &&
        !prompts.askYesNo(format(kReplaceQuestion, path.c_str()), caption)) {
        return {save_result::kCancelled, true};
    }
    const ProjectFileResult written = WriteProjectFile(path, context);
    if (!written.ok) {
        if (!written.message.empty()) {
            prompts.warn(written.message, caption);
        }
        return {save_result::kWriteFailed, modified};
    }
    return {save_result::kSaved, modified && !written.clearsModified};
}

OpenOutcome OpenProject(ProjectContext& context, ProjectPrompts& prompts, bool modified,
                        const std::function<void()>& beforeLoad) {
    OpenOutcome outcome;
    outcome.modified = modified;
    if (modified &&
        prompts.askYesNo(context.strings.text(kSaveModified), context.strings.text(kOpenProject))) {
        const SaveOutcome saved = SaveProject(context, prompts, modified);
        outcome.modified = saved.modified;
        if (saved.result != save_result::kSaved) {
            return outcome;
        }
    }
    const auto choice = prompts.chooseFile(projectFileDialog(context.strings, false, {}));
    if (choice.choice != ProjectPrompts::Choice::Ok) {
        return outcome;
    }
    outcome.path = choice.fullPath;
    std::string refused;
    ProjectInfo probe{};
    if (!setProjectPath(probe, choice.fullPath, &refused)) {
        prompts.warn(refused, context.strings.text(kOpenProject));
        return outcome;
    }
    if (!readFilePrefix(choice.fullPath, 0).opened) {
        prompts.warn(context.strings.text(kCouldNotOpenFile) + choice.fullPath,
                     context.strings.text(kOpenProject));
        return outcome;
    }
    if (beforeLoad) {
        beforeLoad();
    }
    const ProjectFileResult loaded = ReadProjectFile(choice.fullPath, context);
    outcome.opened = true;
    outcome.modified = false;
    // Only a whole project holds a parameter set: a short file leaves the rest of the set zero,
    // and such a set must not reach a controller.
    context.records.parameterWriteAllowed = loaded.complete ? 1 : 0;
    if (!loaded.ok) {
        prompts.warn(loaded.message, context.strings.text(kOpenProject));
    }
    return outcome;
}

}  // namespace kvt
