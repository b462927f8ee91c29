#include "app/MainStatusBar.h"

#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>

namespace kvt {

CMainStatusBar::CMainStatusBar(int kind, const QFont& font, QWidget* parent)
    : QWidget(parent), kind_(kind) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(4);
    const QFontMetrics metrics(font);
    // Pane 0 is sized for "Project: " and 24 M, pane 1 for thirty M.
    const int widths[2] = {
        metrics.horizontalAdvance(QStringLiteral("Project: ") + QString(24, 'M')),
        metrics.horizontalAdvance(QString(30, 'M'))};
    for (int i = 0; i < 2; ++i) {
        auto* pane = new QLabel(this);
        pane->setFont(font);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setMinimumWidth(widths[i]);
        pane->setObjectName(QStringLiteral("pane%1").arg(i));
        layout->addWidget(pane);
        panes_[static_cast<std::size_t>(i)] = pane;
    }
    layout->addStretch(1);
    setObjectName(kind == 1 ? QStringLiteral("projectStatusBar") : QStringLiteral("fileStatusBar"));
}

void CMainStatusBar::setPaneText(int pane, const QString& text) {
    panes_[static_cast<std::size_t>(pane)]->setText(text);
    panes_[static_cast<std::size_t>(pane)]->repaint();
}

QString CMainStatusBar::paneText(int pane) const {
    return panes_[static_cast<std::size_t>(pane)]->text();
}

}  // namespace kvt
