#pragma once

#include <QLineEdit>
#include <array>
#include <map>

#include "data/ProjectInfo.h"
#include "widgets/ToolDialog.h"

namespace kvt {

// "Project Info": shows and edits the project information block. In new mode (the last step of
// New Project) the file name can be chosen too; the main frame then writes the project under it.
// The dialog edits a private copy and stores it on OK; the modified flag tells whether the block
// changed.
class ProjectInfoDialog : public CToolDialog {
    Q_OBJECT

  public:
    // Edit controls by template id.
    static constexpr int kFileNameEdit = 1030;
    static constexpr int kProjectNameEdit = 1031;
    static constexpr int kVersionEdit = 1032;
    static constexpr int kNameEdit = 1038;
    static constexpr int kAddressEdit = 1049;
    static constexpr int kCityEdit = 1053;
    static constexpr int kPhoneFaxEdit = 1040;
    static constexpr int kEmailEdit = 1041;
    // String ids.
    static constexpr int kNewProjectCaption = 29;
    static constexpr int kProjectInfoCaption = 30;
    static constexpr int kCharacterNotAllowed = 33;

    static constexpr std::uint32_t kMaxVersion = 999999;
    static constexpr int kFileNameChars = 29;
    // Characters a project's texts may not hold.
    static constexpr char kForbidden[] = {'|', '#'};

    ProjectInfoDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes, ProjectInfo& info,
                      bool newMode);

    bool newMode() const { return newMode_; }
    const ProjectInfo& copy() const { return copy_; }
    QLineEdit* edit(int id) const { return control<QLineEdit>(id); }

  public slots:
    void accept() override;
    void reject() override;

  private:
    struct TextField;
    static const std::array<TextField, 6> kTextFields;

    void readTextField(const TextField& field);
    void readVersion();
    void readFileName();
    void readAll();
    // Removes the first '|' or '#' from the edit, with a message naming it; a change to a stored
    // text that brings a character Windows-1252 cannot hold is undone, with a message too.
    void checkCharacters(QLineEdit& edit, bool storedText);
    void refuseCharacter(char32_t c);
    bool copyDiffers() const;

    ProjectInfo& info_;
    ProjectInfo copy_;
    std::map<QLineEdit*, QString> lastText_;  // each edit's text as last checked
    bool newMode_;
};

}  // namespace kvt
