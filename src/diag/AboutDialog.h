#pragma once

#include <QLabel>

#include "widgets/ToolDialog.h"

namespace kvt {

// The About box: the program's picture, four lines about it, the version and the build stamp.
class AboutDialog : public CToolDialog {
    Q_OBJECT

  public:
    static constexpr int kTitle = 114;
    static constexpr int kVersionLabel = 115;
    static constexpr int kOk = 7;

    AboutDialog(QWidget* owner, Strings& strings, const QString& version, const QString& extra);

    QLabel* versionLabel() const { return version_; }
    QLabel* extraLabel() const { return extra_; }

  private:
    QLabel* version_ = nullptr;
    QLabel* extra_ = nullptr;
};

}  // namespace kvt
