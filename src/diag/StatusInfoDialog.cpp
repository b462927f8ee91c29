#include "diag/StatusInfoDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>

#include "data/StatusChanges.h"
#include "data/StatusText.h"
#include "engine/CommandWord.h"
#include "engine/Notifier.h"

namespace kvt {
namespace {

// The controls of one condition, in the order of the record's conditions.
struct ConditionControls {
    int groupId;
    int radioFor1;
    int radioFor2;
};

constexpr ConditionControls kConditionControls[] = {
    {1281, 1291, 1619}, {1600, 1293, 1622}, {1280, 1604, 1601}, {1719, 1272, 1273},
    {1593, 1286, 1284}, {1596, 1290, 1611}, {1716, 1718, 1717}, {1589, 1591, 1275},
};

struct LedControls {
    int buttonId;
    std::int32_t StatusInfo::*field;
    int captionId;
    QRgb colour;
};

constexpr LedControls kLedControls[] = {
    {StatusInfoDialog::kGreenLed, &StatusInfo::ledGreen, 295, qRgb(40, 200, 40)},
    {StatusInfoDialog::kYellowLed, &StatusInfo::ledYellow, 296, qRgb(240, 200, 0)},
    {StatusInfoDialog::kRedLed, &StatusInfo::ledRed, 297, qRgb(225, 30, 30)},
};

constexpr int kConditionColumns = 2;
constexpr const char* kChangesCaption = "Changes while open:";
constexpr int kLedSide = 40;

}  // namespace

StatusInfoDialog::StatusInfoDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                   StatusInfo& status, DiagAccess access, Clock clock)
    : CToolDialog(owner, strings, boxes, access.commandWord),
      status_(status),
      access_(std::move(access)),
      clock_(clock ? std::move(clock) : Clock([] { return QTime::currentTime(); })) {
    setObjectName(QStringLiteral("statusInfoDialog"));
    setWindowTitle(caption(kTitle));
    static_assert(std::size(kConditionControls) == 8);

    auto* layout = new QVBoxLayout(this);
    auto* conditions = new QGridLayout;
    layout->addLayout(conditions);
    const auto rules = statusConditions();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const ConditionControls& c = kConditionControls[i];
        auto* group = named(new QGroupBox(caption(rules[i].captionId), this), "static", c.groupId);
        auto* row = new QHBoxLayout(group);
        for (auto [id, word] : {std::pair{c.radioFor1, rules[i].textFor1},
                                std::pair{c.radioFor2, rules[i].textFor2}}) {
            auto* r = named(new QRadioButton(caption(word), group), "radio", id);
            // Shows the controller's state; the user cannot change it.
            r->setAutoExclusive(false);
            r->setAttribute(Qt::WA_TransparentForMouseEvents);
            r->setFocusPolicy(Qt::NoFocus);
            row->addWidget(r);
        }
        conditions->addWidget(group, static_cast<int>(i) / kConditionColumns,
                              static_cast<int>(i) % kConditionColumns);
    }

    auto* leds = new QGridLayout;
    layout->addLayout(leds);
    int column = 0;
    for (const LedControls& l : kLedControls) {
        auto* label = new QLabel(caption(l.captionId), this);
        label->setAlignment(Qt::AlignCenter);
        auto* disc = named(new LedDisc(QColor(l.colour), this), "button", l.buttonId);
        disc->setFixedSize(kLedSide, kLedSide);
        leds->addWidget(label, 0, column);
        leds->addWidget(disc, 1, column++, Qt::AlignHCenter);
    }

    layout->addWidget(new QLabel(QString::fromLatin1(kChangesCaption), this));
    auto* list = named(new QListWidget(this), "list", kChangeList);
    list->setMinimumHeight(fontMetrics().height() * 5);
    layout->addWidget(list);

    auto* buttons = new QDialogButtonBox(this);
    named(buttons->addButton(caption(kOkCaption), QDialogButtonBox::AcceptRole), "button", kOkId)
        ->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);

    // Nothing read before this dialog counts: it shows only what it has seen polled.
    std::memset(&status_, 0, sizeof status_);
    pollTimer_ = new QTimer(this);
    blinkTimer_ = new QTimer(this);
    connect(pollTimer_, &QTimer::timeout, this, &StatusInfoDialog::pollTick);
    connect(blinkTimer_, &QTimer::timeout, this, &StatusInfoDialog::blinkTick);
    pollTimer_->start(kPollMs);
    blinkTimer_->start(kBlinkMs);
    showStatus();
}

void StatusInfoDialog::pollTick() {
    if (isVisible() && !pollingStopped_ && commandWord() == 0 && access_.post) {
        access_.post(cmd::kReadStatus);
    }
}

void StatusInfoDialog::blinkTick() {
    if (!isVisible()) {
        return;
    }
    blinkPhase_ = !blinkPhase_;
    showStatus();
}

void StatusInfoDialog::onNotification(int code, std::intptr_t) {
    if (code >= 1 && code <= 8) {
        // After a failed read the dialog stops asking until it is opened again, so that a dead
        // line is not hammered every two seconds.
        pollingStopped_ = true;
        showStatus();
    } else if (code == notify::kStatusRead) {
        recordChanges();
        showStatus();
    }
}

void StatusInfoDialog::showStatus() {
    const bool valid = status_.valid();
    const auto rules = statusConditions();
    for (std::size_t i = 0; i < rules.size(); ++i) {
        const std::int32_t value = valid ? status_.*rules[i].field : 0;
        radio(kConditionControls[i].radioFor1)->setChecked(value == 1);
        radio(kConditionControls[i].radioFor2)->setChecked(value == 2);
    }
    for (const LedControls& l : kLedControls) {
        led(l.buttonId)->setPicture(ledPicture(status_.*l.field, valid, blinkPhase_));
    }
}

void StatusInfoDialog::recordChanges() {
    if (!status_.valid()) {
        return;
    }
    if (lastSeen_) {
        const QString time = clock_().toString(QStringLiteral("HH:mm:ss"));
        for (const StatusChange& change : statusChanges(*lastSeen_, status_)) {
            changeList()->insertItem(
                0, time + QLatin1Char(' ') +
                       QString::fromStdString(statusChangeText(change, strings())));
        }
        while (changeList()->count() > kMaxChanges) {
            delete changeList()->takeItem(changeList()->count() - 1);
        }
    }
    lastSeen_ = status_;
}

}  // namespace kvt
