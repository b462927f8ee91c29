#pragma once

#include <QWidget>

#include "data/ProjectCommands.h"
#include "widgets/MessageBoxes.h"

namespace kvt {

// The project commands' questions and file dialogs, as the desktop shows them.
class QtProjectPrompts final : public ProjectPrompts {
  public:
    QtProjectPrompts(QWidget* owner, MessageBoxes& boxes) : owner_(owner), boxes_(boxes) {}

    void warn(const std::string& text, const std::string& caption) override;
    bool askYesNo(const std::string& text, const std::string& caption) override;
    FileChoice chooseFile(const FileDialog& dialog) override;

  private:
    QWidget* owner_;
    MessageBoxes& boxes_;
};

}  // namespace kvt
