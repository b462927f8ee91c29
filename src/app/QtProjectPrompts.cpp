#include "app/QtProjectPrompts.h"

#include <QFileDialog>
#include <QStringList>

namespace kvt {

void QtProjectPrompts::warn(const std::string& text, const std::string& caption) {
    boxes_.show({text, caption, BoxButtons::Ok, BoxIcon::Exclamation, true}, owner_);
}

bool QtProjectPrompts::askYesNo(const std::string& text, const std::string& caption) {
    return boxes_.show(
               {text, caption, BoxButtons::YesNo, BoxIcon::Exclamation, true, BoxResult::Yes},
               owner_) == BoxResult::Yes;
}

ProjectPrompts::FileChoice QtProjectPrompts::chooseFile(const FileDialog& dialog) {
    QStringList filters;
    for (const auto& filter : dialog.filters) {
        filters << QString::fromStdString(filter.description);
    }
    QFileDialog files(owner_);
    files.setNameFilters(filters);
    files.setDefaultSuffix(QString::fromStdString(dialog.defaultExtension));
    files.setAcceptMode(dialog.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    files.setFileMode(dialog.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    files.setOption(QFileDialog::DontConfirmOverwrite, !dialog.save);
    if (!dialog.initialPath.empty()) {
        files.selectFile(QString::fromStdString(dialog.initialPath));
    }
    if (files.exec() != QDialog::Accepted || files.selectedFiles().isEmpty()) {
        return {Choice::Cancelled, {}};
    }
    return {Choice::Ok, files.selectedFiles().first().toStdString()};
}

}  // namespace kvt
