#pragma once

#include <QColor>
#include <QLineEdit>

namespace kvt {

// A caption or value box of the scope view: a borderless or bordered line edit with its own
// text and background colours, read-only unless made editable (only the readout edit is).
class ColourLabel : public QLineEdit {
    Q_OBJECT

  public:
    enum class Border { None, Box };
    enum class Access { ReadOnly, Editable };

    ColourLabel(QWidget* parent, const QFont& font, Border border = Border::None,
                Access access = Access::ReadOnly);

    void setColours(const QColor& text, const QColor& background);
    void setTextColour(const QColor& text) { setColours(text, background_); }
    void setBackgroundColour(const QColor& background) { setColours(text_, background); }
    QColor textColour() const { return text_; }
    QColor backgroundColour() const { return background_; }

    // Sets the text only when it differs, so that repaints do not disturb the caret.
    void showText(const QString& text);

  private:
    QColor text_{Qt::black};
    QColor background_{Qt::white};
};

}  // namespace kvt
