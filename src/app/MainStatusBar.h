#pragma once

#include <QWidget>
#include <array>

class QFont;
class QLabel;

namespace kvt {

// One of the two status bars at the bottom of the main window: two panes whose texts the
// frame's one-second timer sets.
class CMainStatusBar : public QWidget {
    Q_OBJECT

  public:
    // Kind 1 is the project bar, 2 the file bar.
    CMainStatusBar(int kind, const QFont& font, QWidget* parent);
    void setPaneText(int pane, const QString& text);
    QString paneText(int pane) const;
    int kind() const { return kind_; }

  private:
    int kind_;
    std::array<QLabel*, 2> panes_{};
};

}  // namespace kvt
