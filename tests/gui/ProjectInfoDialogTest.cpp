#include <gtest/gtest.h>

#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstring>

#include "GuiTestSupport.h"
#include "SampleProjectInfo.h"
#include "app/ProjectInfoDialog.h"
#include "data/Cp1252.h"
#include "data/ProjectFile.h"
#include "data/StringTable.h"

namespace kvt {
namespace {

using test::leave;

class ProjectInfoDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { info = test::sampleProjectInfo(); }

    std::unique_ptr<ProjectInfoDialog> open(bool newMode, Strings* with = nullptr) {
        return std::make_unique<ProjectInfoDialog>(nullptr, with != nullptr ? *with : strings,
                                                   boxes, info, newMode);
    }

    static QString textOf(ProjectInfoDialog& d, int id) { return d.edit(id)->text(); }

    StringTable strings;
    test::ScriptedBoxes boxes;
    ProjectInfo info{};
};

TEST_F(ProjectInfoDialogTest, ShowsTheBlockWithTheFileNameLockedUnlessNew) {
    auto d = open(false);
    EXPECT_EQ(d->windowTitle(), "Project Info");
    using P = ProjectInfoDialog;
    struct Field {
        int id;
        const char* text;
        int maxLength;
    };
    for (const Field& f : {Field{P::kFileNameEdit, "PUMP4.KVT", 29},
                           {P::kProjectNameEdit, "Pump station 4", 24},
                           {P::kVersionEdit, "12", 6},
                           {P::kNameEdit, "Waterworks", 29},
                           {P::kAddressEdit, "Riverside 1", 29},
                           {P::kCityEdit, "Lakeside", 29},
                           {P::kPhoneFaxEdit, "+00 123 456", 29},
                           {P::kEmailEdit, "service@example.org", 29}}) {
        EXPECT_EQ(textOf(*d, f.id), f.text) << f.id;
        EXPECT_EQ(d->edit(f.id)->maxLength(), f.maxLength) << f.id;
    }
    EXPECT_FALSE(d->edit(P::kFileNameEdit)->isEnabled());
    EXPECT_EQ(d->control<QWidget>(1033)->property("title").toString(), "Company")
        << "the template's text without a library";
    EXPECT_TRUE(boxes.shown.empty()) << "opening shows no box";
    auto fresh = open(true);
    EXPECT_TRUE(fresh->edit(ProjectInfoDialog::kFileNameEdit)->isEnabled()) << "new mode";
    EXPECT_EQ(fresh->windowTitle(), "Project Info") << "the template caption without a library";
}

TEST_F(ProjectInfoDialogTest, ForbiddenCharactersAreRemovedWithAMessageEach) {
    auto d = open(false);
    QLineEdit* name = d->edit(ProjectInfoDialog::kProjectNameEdit);
    name->clear();
    QTest::keyClicks(name, "ab#cd");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Character not allowed! \n'#'");
    EXPECT_EQ(boxes.shown[0].caption, "Project Info");
    EXPECT_EQ(name->text(), "abcd");
    EXPECT_EQ(name->cursorPosition(), 4);

    // Each forbidden character of a pasted text has its message.
    QLineEdit* city = d->edit(ProjectInfoDialog::kCityEdit);
    city->setText("a|b#c|");
    ASSERT_EQ(boxes.shown.size(), 4u);
    EXPECT_EQ(boxes.shown[1].text, "Character not allowed! \n'|'");
    EXPECT_EQ(boxes.shown[2].text, "Character not allowed! \n'#'");
    EXPECT_EQ(city->text(), "abc");
    auto fresh = open(true);
    fresh->edit(ProjectInfoDialog::kFileNameEdit)->setText("x#y");
    EXPECT_EQ(fresh->edit(ProjectInfoDialog::kFileNameEdit)->text(), "xy");
}

TEST_F(ProjectInfoDialogTest, TheVersionTakesItsLeadingDigitsOnLeaving) {
    auto d = open(false);
    QLineEdit* version = d->edit(ProjectInfoDialog::kVersionEdit);
    version->setText("12a4");  // pasted: typing would refuse the letter
    leave(version);
    EXPECT_EQ(version->text(), "12");
    EXPECT_EQ(version->cursorPosition(), 2);
    EXPECT_EQ(d->copy().projectVersion, 12u);
    version->clear();
    leave(version);
    EXPECT_EQ(version->text(), "0");
    EXPECT_EQ(d->copy().projectVersion, 0u);
    version->clear();
    QTest::keyClicks(version, "1234567");
    EXPECT_EQ(version->text(), "123456") << "a seventh digit cannot be typed";
    version->clear();
    QTest::keyClicks(version, "9x8");
    EXPECT_EQ(version->text(), "98") << "letters cannot be typed";

    info.projectVersion = 5000000;  // a damaged file
    auto damaged = open(false);
    EXPECT_EQ(damaged->edit(ProjectInfoDialog::kVersionEdit)->text(), "999999");
    damaged->accept();
    EXPECT_EQ(info.projectVersion, 999999u) << "clamped, not cut to 500000";
    EXPECT_EQ(damaged->modifiedFlag(), 1);
}

TEST_F(ProjectInfoDialogTest, LeavingTheFileNameForcesTheProjectExtension) {
    auto d = open(true);
    QLineEdit* file = d->edit(ProjectInfoDialog::kFileNameEdit);
    const std::pair<const char*, const char*> cases[] = {
        {"station", "station.KVT"},
        {"station.txt", "station.KVT"},
        {"a.b.c", "a.KVT"},
        {"abcdefghijklmnopqrstuvwxyz0", "abcdefghijklmnopqrstuvwxy.KVT"},  // 27 characters
        {"abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrstuvwxy.KVT"},    // 25 fit
        {"", ".KVT"},
    };
    for (const auto& [typed, expected] : cases) {
        file->setText(QString::fromLatin1(typed));
        leave(file);
        EXPECT_EQ(file->text().toStdString(), expected) << typed;
        EXPECT_EQ(fieldText(d->copy().fileName), expected) << typed;
    }
}

TEST_F(ProjectInfoDialogTest, OkStoresTheEditsAndReportsTheChange) {
    auto d = open(false);
    d->edit(ProjectInfoDialog::kProjectNameEdit)->setText("Pump station 5");
    d->edit(ProjectInfoDialog::kVersionEdit)->setText("1234567");  // held to six digits
    d->edit(ProjectInfoDialog::kEmailEdit)->setText("desk@example.org");
    d->accept();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(d->modifiedFlag(), 1);
    EXPECT_EQ(fieldText(info.projectName), "Pump station 5");
    EXPECT_EQ(info.projectVersion, 123456u);
    EXPECT_EQ(fieldText(info.email), "desk@example.org");
    EXPECT_EQ(fieldText(info.fullPath), "/srv/projects/PUMP4.KVT");
}

TEST_F(ProjectInfoDialogTest, UntouchedFieldsStayByteForByteAndAreNoChange) {
    // A project opened from "pump4.kvt": the locked name must not be rewritten to ".KVT", and
    // an older file may hold leftovers behind a text's zero.
    setFieldText(info.fileName, "pump4.kvt");
    std::memcpy(info.city, "Lake\0old", 8);
    const ProjectInfo before = info;
    auto d = open(false);
    d->reject();
    EXPECT_TRUE(boxes.shown.empty()) << "nothing changed, nothing asked";
    auto again = open(false);
    again->accept();
    EXPECT_EQ(again->modifiedFlag(), 0);
    EXPECT_EQ(std::memcmp(&before, &info, sizeof info), 0);
}

// Project texts are Windows-1252 bytes in the file and in the record; the edits show them as
// characters and store them back as those bytes.
TEST_F(ProjectInfoDialogTest, AWindows1252TextFromAFileShowsAndIsStoredBackByteForByte) {
    auto records = std::make_unique<Records>();
    records->projectInfo = info;
    setFieldText(records->projectInfo.projectName, "M\xFCller \x80 Ventilbau");
    const std::string file = encodeProject(*records);
    auto loaded = std::make_unique<Records>();
    decodeProject(file, *loaded);
    std::swap(info, loaded->projectInfo);

    auto d = open(false);
    QLineEdit* name = d->edit(ProjectInfoDialog::kProjectNameEdit);
    EXPECT_EQ(name->text(), QStringLiteral("M\u00FCller \u20AC Ventilbau"));
    EXPECT_TRUE(boxes.shown.empty());
    // Typed again character by character: the same bytes, so no change.
    name->clear();
    for (const QChar c : QStringLiteral("M\u00FCller \u20AC Ventilbau")) {
        name->insert(QString(c));
    }
    leave(name);
    d->accept();
    EXPECT_EQ(d->modifiedFlag(), 0);
    std::swap(info, loaded->projectInfo);
    EXPECT_EQ(encodeProject(*loaded), file) << "saved back byte for byte";

    // A typed text is stored as Windows-1252, not as UTF-8.
    auto again = open(false);
    again->edit(ProjectInfoDialog::kCityEdit)->setText(QStringLiteral("K\u00F6ln \u2013 S\u00FCd"));
    again->accept();
    EXPECT_EQ(fieldText(info.city),
              "K\xF6ln \x96 S\xFC"
              "d");
}

TEST_F(ProjectInfoDialogTest, ACharacterWindows1252CannotHoldIsRefusedAndNothingChanges) {
    const ProjectInfo before = info;
    auto d = open(false);
    const std::pair<int, QString> cases[] = {
        {ProjectInfoDialog::kCityEdit, QStringLiteral("\u0141\u00F3d\u017A")},  // Ł
        {ProjectInfoDialog::kProjectNameEdit, QStringLiteral("Pump \u4E2D")},   // 中
    };
    for (const auto& [id, typed] : cases) {
        QLineEdit* edit = d->edit(id);
        const QString was = edit->text();
        boxes.shown.clear();
        edit->setText(typed);
        ASSERT_EQ(boxes.shown.size(), 1u) << id;
        const char32_t refused = id == ProjectInfoDialog::kCityEdit ? U'\u0141' : U'\u4E2D';
        EXPECT_EQ(boxes.shown[0].text, refusedCharacterText(refused));
        EXPECT_NE(boxes.shown[0].text.find(QString::fromUcs4(&refused, 1).toStdString()),
                  std::string::npos)
            << "the box names the character";
        EXPECT_EQ(edit->text(), was) << "the edit keeps what it held";
        leave(edit);
    }
    d->accept();
    EXPECT_EQ(d->modifiedFlag(), 0);
    EXPECT_EQ(std::memcmp(&before, &info, sizeof info), 0) << "nothing stored";
}

TEST_F(ProjectInfoDialogTest, AFieldCountsOneStoredByteACharacter) {
    auto d = open(false);
    QLineEdit* name = d->edit(ProjectInfoDialog::kNameEdit);  // 30 bytes with the zero
    name->setText(QString(31, QChar(0x20AC)));
    leave(name);
    EXPECT_EQ(name->text(), QString(29, QChar(0x20AC)));
    d->accept();
    EXPECT_EQ(fieldText(info.name), std::string(29, '\x80'));
    EXPECT_EQ(info.name[29], '\0');
}

TEST_F(ProjectInfoDialogTest, LeavingAnEditByTheKeyboardReadsIt) {
    auto d = open(false);
    d->show();
    QApplication::setActiveWindow(d.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(d.get()));
    QLineEdit* version = d->edit(ProjectInfoDialog::kVersionEdit);
    version->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return version->hasFocus(); }));
    version->setText("077");
    d->edit(ProjectInfoDialog::kNameEdit)->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !version->hasFocus(); }));
    EXPECT_EQ(version->text(), "77");
    EXPECT_EQ(d->copy().projectVersion, 77u);
}

}  // namespace
}  // namespace kvt
