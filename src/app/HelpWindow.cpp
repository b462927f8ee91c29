#include "app/HelpWindow.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "data/Cp1252.h"

namespace kvt {

HelpWindow::HelpWindow(QWidget* owner, const QString& appTitle)
    : QDialog(owner), text_(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(appTitle + QStringLiteral(" - Help"));
    setModal(false);
    text_->setObjectName(QStringLiteral("helpText"));
    text_->setReadOnly(true);
    // The text lines up its columns with spaces.
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_);
    const QFontMetrics metrics(text_->font());
    resize(metrics.horizontalAdvance(QLatin1Char('M')) * 100, metrics.lineSpacing() * 40);
}

void HelpWindow::showText(const std::string& bytes, const QString& path) {
    path_ = path;
    const std::string text = isValidUtf8(bytes) ? bytes : cp1252ToUtf8(bytes);
    text_->setPlainText(QString::fromStdString(text));
}

}  // namespace kvt
