#include "app/ProjectInfoDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>

#include "data/Cp1252.h"
#include "data/ProjectFile.h"

namespace kvt {

// One text field of the block with its label and edit.
struct ProjectInfoDialog::TextField {
    int labelId;
    int labelString;
    const char* labelText;
    int editId;
    int maxChars;
    std::size_t offset;  // of the fixed field in ProjectInfo
    std::size_t size;    // bytes including the terminating zero
    bool company;        // in the "Company" group, else in "Project"
};

const std::array<ProjectInfoDialog::TextField, 6> ProjectInfoDialog::kTextFields = {{
    {1027, 42, "Project Name:", kProjectNameEdit, 24, offsetof(ProjectInfo, projectName),
     sizeof(ProjectInfo::projectName), false},
    {1034, 45, "Name:", kNameEdit, 29, offsetof(ProjectInfo, name), sizeof(ProjectInfo::name),
     true},
    {1026, 46, "Address:", kAddressEdit, 29, offsetof(ProjectInfo, address),
     sizeof(ProjectInfo::address), true},
    {1043, 47, "City:", kCityEdit, 29, offsetof(ProjectInfo, city), sizeof(ProjectInfo::city),
     true},
    {1036, 48, "Phone / Fax:", kPhoneFaxEdit, 29, offsetof(ProjectInfo, phoneFax),
     sizeof(ProjectInfo::phoneFax), true},
    {1037, 49, "Email:", kEmailEdit, 29, offsetof(ProjectInfo, email), sizeof(ProjectInfo::email),
     true},
}};

namespace {

constexpr int kProjectGroup = 1029;
constexpr int kCompanyGroup = 1033;
constexpr int kFileNameLabel = 1048;
constexpr int kVersionLabel = 1028;
constexpr int kVersionChars = 6;

char* fieldOf(ProjectInfo& info, std::size_t offset) {
    return reinterpret_cast<char*>(&info) + offset;
}

std::string textOf(const ProjectInfo& info, std::size_t offset, std::size_t size) {
    const char* field = reinterpret_cast<const char*>(&info) + offset;
    return std::string(field, ::strnlen(field, size));
}

// A stored text as the edit shows it: the field's bytes are Windows-1252.
QString shownText(const ProjectInfo& info, std::size_t offset, std::size_t size) {
    return QString::fromStdString(cp1252ToUtf8(textOf(info, offset, size)));
}

}  // namespace

ProjectInfoDialog::ProjectInfoDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                     ProjectInfo& info, bool newMode)
    : CToolDialog(owner, strings, boxes), info_(info), copy_(info), newMode_(newMode) {
    setObjectName(QStringLiteral("projectInfoDialog"));
    const bool library = strings.libraryLoaded();
    // The template's caption is "Project Info" in both modes; the library's texts tell them apart.
    setWindowTitle(library ? text(newMode ? kNewProjectCaption : kProjectInfoCaption)
                           : QStringLiteral("Project Info"));

    auto* layout = new QVBoxLayout(this);
    auto* projectGroup = named(new QGroupBox(caption(40, "Project"), this), kProjectGroup);
    auto* companyGroup = named(new QGroupBox(caption(44, "Company"), this), kCompanyGroup);
    auto* projectForm = new QFormLayout(projectGroup);
    auto* companyForm = new QFormLayout(companyGroup);
    layout->addWidget(projectGroup);
    layout->addWidget(companyGroup);

    auto addRow = [this](QFormLayout* form, int labelId, const QString& label, int editId,
                         int maxChars) {
        auto* edit = named(new QLineEdit(this), editId);
        edit->setMaxLength(maxChars);
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 16);
        form->addRow(named(new QLabel(label, this), labelId), edit);
        return edit;
    };

    QLineEdit* fileName = addRow(projectForm, kFileNameLabel, caption(41, "File Name:"),
                                 kFileNameEdit, kFileNameChars);
    fileName->setEnabled(newMode);
    fileName->setText(QString::fromStdString(fieldText(copy_.fileName)));
    for (const TextField& field : kTextFields) {
        QLineEdit* edit =
            addRow(field.company ? companyForm : projectForm, field.labelId,
                   caption(field.labelString, field.labelText), field.editId, field.maxChars);
        edit->setText(shownText(copy_, field.offset, field.size));
        if (field.editId == kProjectNameEdit) {
            // The version row follows the project name.
            QLineEdit* version = addRow(projectForm, kVersionLabel, caption(43, "Project Version:"),
                                        kVersionEdit, kVersionChars);
            version->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]*")), version));
            // A version beyond six digits (from a damaged file) shows as the most the field
            // takes; cutting its digits to fit the edit would make a different number.
            version->setText(QString::number(std::min(copy_.projectVersion, kMaxVersion)));
        }
    }

    layout->addWidget(
        okCancelButtons(caption(kOkCaption, "OK"), caption(kCancelCaption, "Cancel")));

    // Leaving an edit reads it; any change of text is checked for forbidden characters. Both are
    // connected after filling, so that opening shows no boxes.
    onFocusLost(fileName, [this] { readFileName(); });
    onFocusLost(edit(kVersionEdit), [this] { readVersion(); });
    for (const TextField& field : kTextFields) {
        onFocusLost(edit(field.editId), [this, &field] { readTextField(field); });
    }
    for (QLineEdit* each : findChildren<QLineEdit*>()) {
        lastText_[each] = each->text();
        // The file name is the system's name for the file; the other texts are stored bytes.
        const bool stored = each != fileName && each != edit(kVersionEdit);
        connect(each, &QLineEdit::textChanged, this,
                [this, each, stored] { checkCharacters(*each, stored); });
    }
}

void ProjectInfoDialog::readTextField(const TextField& field) {
    QLineEdit& e = *edit(field.editId);
    // A field the user left as it was keeps its bytes, whatever the file put behind its zero or
    // however its bytes decode.
    const QString shown = shownText(copy_, field.offset, field.size);
    if (e.text() == shown) {
        return;
    }
    char32_t refused = 0;
    const std::optional<std::string> stored =
        storedFieldText(e.text().toStdString(), field.size - 1, &refused);
    if (!stored) {
        // Typing is checked as it happens; this catches a text set any other way.
        refuseCharacter(refused);
        writeEdit(e, shown);
        return;
    }
    char* target = fieldOf(copy_, field.offset);
    std::memset(target, 0, field.size);
    std::memcpy(target, stored->data(), stored->size());
    const QString kept = QString::fromStdString(cp1252ToUtf8(*stored));
    if (kept != e.text()) {
        writeEdit(e, kept);
    }
}

void ProjectInfoDialog::readVersion() {
    copy_.projectVersion =
        readUnsignedEdit(*edit(kVersionEdit), 0, kMaxVersion, kShortFieldCharLimit);
}

void ProjectInfoDialog::readFileName() {
    // Only new mode lets the user choose the name; in normal mode the name stays as the file
    // gave it, so that merely opening and closing this dialog changes nothing.
    if (!newMode_) {
        return;
    }
    QLineEdit& e = *edit(kFileNameEdit);
    const std::string name = fitTextField(e.text().toStdString(), kFileNameChars);
    const std::string forced = forceProjectExtension(name);
    const std::string extension = forced.substr(forced.rfind('.'));
    // The cut of a long name keeps whole characters.
    const std::string result = fitTextField(name, forced.size() - extension.size()) + extension;
    std::memset(copy_.fileName, 0, sizeof copy_.fileName);
    result.copy(copy_.fileName, sizeof copy_.fileName - 1);
    writeEdit(e, QString::fromStdString(result));
}

void ProjectInfoDialog::readAll() {
    readFileName();
    for (const TextField& field : kTextFields) {
        readTextField(field);
    }
    readVersion();
}

void ProjectInfoDialog::refuseCharacter(char32_t c) {
    showBox({refusedCharacterText(c), strings().text(kProjectInfoCaption), BoxButtons::Ok,
             BoxIcon::Exclamation, true});
}

void ProjectInfoDialog::checkCharacters(QLineEdit& e, bool storedText) {
    if (storedText) {
        char32_t refused = 0;
        if (!utf8ToCp1252(e.text().toStdString(), &refused)) {
            refuseCharacter(refused);
            // Nothing of the change is taken: the edit shows what it held before.
            writeEdit(e, lastText_[&e]);
            return;
        }
    }
    const QString typed = e.text().left(kFileNameChars);
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const QChar c = typed.at(i);
        if (c != QLatin1Char(kForbidden[0]) && c != QLatin1Char(kForbidden[1])) {
            continue;
        }
        const std::string message =
            strings().text(kCharacterNotAllowed) + "\n'" + static_cast<char>(c.unicode()) + "'";
        showBox(
            {message, strings().text(kProjectInfoCaption), BoxButtons::Ok, BoxIcon::None, true});
        QString cleaned = typed;
        cleaned.remove(i, 1);
        // Setting the text checks it again, for the next forbidden character.
        writeEdit(e, cleaned);
        return;
    }
    lastText_[&e] = e.text();
}

bool ProjectInfoDialog::copyDiffers() const {
    return std::memcmp(&copy_, &info_, sizeof(ProjectInfo)) != 0;
}

void ProjectInfoDialog::accept() {
    readAll();
    if (copyDiffers()) {
        setModifiedFlag(1);
    }
    info_ = copy_;
    QDialog::accept();
}

void ProjectInfoDialog::reject() {
    readAll();
    if (copyDiffers() && !confirmCancel(text(kProjectInfoCaption))) {
        return;
    }
    QDialog::reject();
}

}  // namespace kvt
