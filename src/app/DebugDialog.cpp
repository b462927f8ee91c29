#include "app/DebugDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/Format.h"

namespace kvt {
namespace {

// Names of the words 0..9; the others are "x" and their index in hexadecimal.
constexpr const char* kWordNames[] = {
    "0 THREAD_STEP", "1 THREAD_CMD",   "2 SEND_STATE",        "3 RECEIVE_STATE",  "4 RETRY", "5",
    "6 ACTION_STEP", "7 ACTION_RETRY", "8 ACTION_RETRY_STEP", "9 ACTION_SUB_CMD",
};
constexpr int kNameWidth = 19;
constexpr const char* kTabTexts[] = {"Var 0 - 9", "Var 10- 19", "Var 20- 29"};

const QColor kBoxGrey(192, 192, 192);
constexpr int kInset = 2;
constexpr int kFontPixels = 15;

QFont valueFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kFontPixels);
    font.setWeight(QFont::Medium);  // 500
    return font;
}

}  // namespace

StatusValueBox::StatusValueBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kInset);
    setFont(valueFont());
    const QFontMetrics metrics(font());
    setMinimumSize(metrics.horizontalAdvance(QStringLiteral("0xMMMMMMMM ")) + 4 * kInset,
                   kFontPixels + 4 * kInset);
}

void StatusValueBox::setValue(std::uint32_t value) {
    text_ = QString::fromStdString(format("0x%08X ", value));
    update();
}

void StatusValueBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (text_.isEmpty()) {
        return;
    }
    // Drawn into an off-screen picture of the box, then copied two pixels inside the frame.
    const QRect inner = rect().adjusted(kInset, kInset, -kInset, -kInset);
    QPixmap picture(inner.size());
    picture.fill(kBoxGrey);
    {
        QPainter p(&picture);
        p.setFont(font());
        p.setPen(Qt::black);
        p.drawText(QRect(0, kInset, inner.width(), inner.height() - kInset),
                   Qt::AlignRight | Qt::AlignTop, text_);
    }
    QPainter(this).drawPixmap(inner.topLeft(), picture);
}

// ---------------------------------------------------------------------------------------------

std::string DebugDialog::wordLabel(int index) {
    const std::string name =
        index < 10 ? std::string(kWordNames[index]) : format("x%X", static_cast<unsigned>(index));
    return format("%d: %-*s", index, kNameWidth, name.c_str());
}

DebugDialog::DebugDialog(QWidget* owner, Strings& strings, const StatusWords& words)
    : CToolDialog(owner, strings), words_(words) {
    setObjectName(QStringLiteral("debugDialog"));
    setWindowTitle(QStringLiteral("Debug Dialog"));
    drawn_.fill(kNothingDrawn);

    auto* layout = new QVBoxLayout(this);
    tabs_ = named(new QTabBar(this), kTabControl);
    tabs_->setDrawBase(true);
    for (const char* tab : kTabTexts) {
        tabs_->addTab(QString::fromLatin1(tab));
    }
    layout->addWidget(tabs_);
    auto* grid = new QGridLayout;
    grid->setColumnStretch(0, 1);
    for (int row = 0; row < kRows; ++row) {
        auto* label =
            named(new QLabel(QStringLiteral("Static %1").arg(row + 1, 2, 10, QChar('0')), this),
                  kFirstLabel + 2 * row);
        auto* box = named(new StatusValueBox(this), kFirstLabel + 2 * row + 1);
        grid->addWidget(label, row, 0);
        grid->addWidget(box, row, 1);
        labels_[static_cast<std::size_t>(row)] = label;
        boxes_[static_cast<std::size_t>(row)] = box;
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok =
        named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole), kOkId);
    ok->setDefault(true);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("drawTimer"));
    timer_->setInterval(kTimerMs);
    connect(timer_, &QTimer::timeout, this, &DebugDialog::onTimer);
    timer_->start();

    tabs_->setCurrentIndex(0);
    selectTab(0);
    connect(tabs_, &QTabBar::currentChanged, this, &DebugDialog::selectTab);
}

void DebugDialog::selectTab(int tab) {
    if (tab < 0) {
        return;
    }
    base_ = kRows * tab;
    // The boxes are shared by the tabs: a newly selected tab draws every row, whether or not its
    // words changed, so that no row keeps the value of the tab shown before.
    drawValues(true);
    setLabels();
}

void DebugDialog::onTimer() {
    for (int k = 0; k < kStatusWordCount; ++k) {
        if (words_[static_cast<std::size_t>(k)].load() != drawn_[static_cast<std::size_t>(k)]) {
            drawValues(false);
            return;
        }
    }
}

void DebugDialog::drawValues(bool everyRow) {
    for (int row = 0; row < kRows; ++row) {
        const auto k = static_cast<std::size_t>(base_ + row);
        // Each word is read once per drawing; it may change a moment later.
        const std::uint32_t value = words_[k].load();
        if (everyRow || value != drawn_[k]) {
            boxes_[static_cast<std::size_t>(row)]->setValue(value);
            drawn_[k] = value;
        }
    }
}

void DebugDialog::setLabels() {
    for (int row = 0; row < kRows; ++row) {
        labels_[static_cast<std::size_t>(row)]->setText(
            QString::fromStdString(wordLabel(base_ + row)));
    }
}

void DebugDialog::done(int result) {
    timer_->stop();
    QDialog::done(result);
}

}  // namespace kvt
