#pragma once

#include <QDialog>
#include <string>

class QPlainTextEdit;

namespace kvt {

// The help text in a plain read-only window of the program's own: desktops have no viewer for
// the .HLP name, and the text is plain anyway. Not modal, so it stays open beside the scope.
class HelpWindow : public QDialog {
    Q_OBJECT

  public:
    HelpWindow(QWidget* owner, const QString& appTitle);

    // Shows the file's bytes: UTF-8 as they are, anything else read as Windows-1252.
    void showText(const std::string& bytes, const QString& path);
    QPlainTextEdit* textView() const { return text_; }
    const QString& path() const { return path_; }

  private:
    QPlainTextEdit* text_;
    QString path_;
};

}  // namespace kvt
