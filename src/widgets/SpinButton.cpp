#include "widgets/SpinButton.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace kvt {

SpinButton::SpinButton(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(16, 11);
        layout->addWidget(button);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { emit stepped(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { emit stepped(-1); });
}

void SpinButton::setRange(int lo, int hi) {
    lo_ = lo;
    hi_ = hi;
}

int SpinButton::steppedPosition(int delta) const {
    const long long next = static_cast<long long>(position_) + delta;
    return static_cast<int>(next < lo_ ? lo_ : next > hi_ ? hi_ : next);
}

}  // namespace kvt
