#pragma once

#include <QColor>
#include <QRadioButton>

namespace kvt {

// A radio button whose background colour can be set: the parameter pages paint the device's
// choice red while it differs from the edited one.
class CColorButton : public QRadioButton {
    Q_OBJECT

  public:
    static constexpr QRgb kDefaultColour = qRgb(210, 210, 210);
    static constexpr QRgb kDiffersColour = qRgb(255, 0, 0);

    explicit CColorButton(const QString& text = {}, QWidget* parent = nullptr);

    // Repaints only when the colour changes.
    void setColour(QColor colour);
    QColor colour() const { return colour_; }

    // Checks or unchecks without the group's exclusivity, so that a group can show no choice.
    void setCheckedAlone(bool checked);

  private:
    QColor colour_{kDefaultColour};
};

}  // namespace kvt
