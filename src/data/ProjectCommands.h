#pragma once

#include <functional>
#include <string>
#include <vector>

#include "data/ProjectFile.h"

namespace kvt {

// The user's side of the project commands: message boxes and file dialogs. The main window
// answers with real dialogs, kvtcli with its command-line choices, tests with scripted answers.
class ProjectPrompts {
  public:
    struct FileFilter {
        std::string description;  // "Project Files (*.KVT)"
        std::string pattern;      // "*.KVT"
    };
    struct FileDialog {
        bool save = false;  // a save dialog that asks before overwriting; else an open dialog
        std::vector<FileFilter> filters;
        std::string defaultExtension;  // "KVT"
        std::string initialPath;       // Save as: the current full path; Open: empty
    };
    enum class Choice { Ok, Cancelled, Failed };
    struct FileChoice {
        Choice choice = Choice::Cancelled;
        std::string fullPath;  // the chosen file, with its folder
    };

    virtual ~ProjectPrompts() = default;
    // A message box with an exclamation icon and an OK button.
    virtual void warn(const std::string& text, const std::string& caption) = 0;
    // A Yes/No message box with an exclamation icon; true for Yes.
    virtual bool askYesNo(const std::string& text, const std::string& caption) = 0;
    virtual FileChoice chooseFile(const FileDialog& dialog) = 0;
};

// Results of Save and Save as: 0 written, 1 the user cancelled the file dialog, 2 no project is
// open (Save) or the file dialog failed (Save as), 3 the file could not be written (the user was
// told why, the old file is unchanged).
namespace save_result {
inline constexpr int kSaved = 0;
inline constexpr int kCancelled = 1;
inline constexpr int kNoProject = 2;
inline constexpr int kDialogFailed = 2;
inline constexpr int kWriteFailed = 3;
}  // namespace save_result

struct SaveOutcome {
    int result = save_result::kNoProject;
    bool modified = false;  // what the main window's modified flag must become
};

struct OpenOutcome {
    bool opened = false;    // a project was loaded: clear the command word before (beforeLoad),
                            // then refresh the title, reset the scope view, set its channel names
    bool modified = false;  // what the main window's modified flag must become
    std::string path;       // the file chosen
};

// Save (32006): writes the project under its full path; with no path, "No Project is open".
// Refresh the title afterwards whatever the result.
SaveOutcome SaveProject(ProjectContext& context, ProjectPrompts& prompts, bool modified);

// Save as (32007): the file dialog starting at the current full path; the chosen name gets the
// ".KVT" extension (forceProjectExtension) and the project is written under it. The path fields
// change only when the file was written.
SaveOutcome SaveProjectAs(ProjectContext& context, ProjectPrompts& prompts, bool modified);

// New (32004), its last step: writes the new project under its full path. A file already there
// is replaced only when the user says Yes; No keeps the file as it was and the new project
// unsaved (modified). A failure is told with the reason.
SaveOutcome WriteNewProject(ProjectContext& context, ProjectPrompts& prompts, bool modified);

// Open (32005): asks to save a modified project first (a failed or impossible save ends the
// command), lets the user choose a file, checks that it can be read ("Could not open File\n" and
// the path otherwise), calls beforeLoad (the main window clears the engine's command word
// there) and loads the file. The parameter write-allowed flag is set when the file was a
// complete project and cleared otherwise: a short or long file opens, but Write stays off until
// the set is taken from the controller (Copy).
OpenOutcome OpenProject(ProjectContext& context, ProjectPrompts& prompts, bool modified,
                        const std::function<void()>& beforeLoad);

// The project file dialog: filters "Project Files (*.KVT)" and "All Files (*.*)", default
// extension "KVT".
ProjectPrompts::FileDialog projectFileDialog(Strings& strings, bool save,
                                             const std::string& initialPath);

}  // namespace kvt
