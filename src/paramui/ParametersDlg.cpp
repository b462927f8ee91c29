#include "paramui/ParametersDlg.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>

#include "data/ParameterPageRules.h"
#include "engine/CommandWord.h"
#include "engine/Notifier.h"
#include "paramui/ParameterPropertySheets.h"
#include "widgets/ColorButton.h"

namespace kvt {
namespace {

constexpr int kFactoryCaption = 132;
constexpr int kCustomCaption = 130;
constexpr int kSetGroupCaption = 192;
constexpr int kReadCaption = 144;
constexpr int kWriteCaption = 143;
constexpr int kCopyCaption = 193;
constexpr int kCloseCaption = 334;

constexpr std::int32_t kCustomSet = 0;
constexpr std::int32_t kFactorySet = 1;
constexpr std::uint32_t kTransferBits = cmd::kReadParameter | cmd::kWriteParameter;

bool currentFeedback(const ParameterRecord& set) {
    return set.FEEDBACK_SELECT == 3 || set.FEEDBACK_SELECT_SLAVE == 3;
}

}  // namespace

CParametersDlg::CParametersDlg(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                               ParameterLink link)
    : CToolDialog(owner, strings, boxes, link.commandWord),
      link_(std::move(link)),
      copy_(std::make_unique<ParameterRecord>(link_.sets.currentSet)) {
    setObjectName(QStringLiteral("parametersDialog"));
    applyOpeningFixUps(*copy_);

    auto* column = new QVBoxLayout(this);
    sheet_ = new CParameterPropertySheets(*this, copy_.get());
    column->addWidget(sheet_);

    auto* bottom = new QHBoxLayout;
    column->addLayout(bottom);
    auto* setGroup = named(new QGroupBox(caption(kSetGroupCaption), this), "static", kSetGroup);
    auto* radios = new QHBoxLayout(setGroup);
    factory_ = named(new CColorButton(caption(kFactoryCaption), setGroup), "radio", kFactoryRadio);
    custom_ = named(new CColorButton(caption(kCustomCaption), setGroup), "radio", kCustomRadio);
    radios->addWidget(factory_);
    radios->addWidget(custom_);
    bottom->addWidget(setGroup);
    bottom->addStretch(1);
    auto button = [this, bottom](int id, const QString& text) {
        auto* b = named(new QPushButton(text, this), "button", id);
        b->setAutoDefault(false);
        bottom->addWidget(b, 0, Qt::AlignBottom);
        return b;
    };
    read_ = button(kReadButton, caption(kReadCaption));
    write_ = button(kWriteButton, caption(kWriteCaption));
    copyButton_ = button(kCopyButton, caption(kCopyCaption));
    close_ = button(kCancelId, caption(kCloseCaption));

    connect(read_, &QPushButton::clicked, this, &CParametersDlg::read);
    connect(write_, &QPushButton::clicked, this, &CParametersDlg::write);
    connect(copyButton_, &QPushButton::clicked, this, &CParametersDlg::copyDeviceSet);
    connect(close_, &QPushButton::clicked, this, &CParametersDlg::reject);
    connect(factory_, &QPushButton::clicked, this,
            [this] { switchSet(kFactorySet, cmd::kCustomFactorySet); });
    connect(custom_, &QPushButton::clicked, this,
            [this] { switchSet(kCustomSet, cmd::kCustomFactorySetAlt); });

    sheet_->refreshAll();
    setRadiosFromCopy();
    buttonTimer_ = new QTimer(this);
    buttonTimer_->setInterval(kButtonTimerMs);
    connect(buttonTimer_, &QTimer::timeout, this, [this] { onTimer(kButtonTimer); });
    cursorTimer_ = new QTimer(this);
    cursorTimer_->setInterval(kCursorTimerMs);
    connect(cursorTimer_, &QTimer::timeout, this, [this] { onTimer(kCursorTimer); });
    buttonTimer_->start();
    cursorTimer_->start();
    setWindowTitle(caption(kTitle));
    updateButtons();
}

CParametersDlg::~CParametersDlg() {
    buttonTimer_->stop();
    cursorTimer_->stop();
    endWaitCursor();
    // The pages go before the copy they edit.
    delete sheet_;
    sheet_ = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Buttons

void CParametersDlg::read() {
    if (command() == 0) {
        link_.writeAllowed = 0;
        sheet_->saveAll();
        // Stored like Write and Close do: an edit made before the read must mark the project.
        compareAndStore();
        link_.post(cmd::kReadParameter);
    }
    updateButtons();
}

void CParametersDlg::write() {
    sheet_->saveAll();
    if (command() == 0) {
        // The offset and span that go out are the ones the current limits give.
        if (currentFeedback(*copy_) && applyCurrentDerivedSetpoint(*copy_)) {
            sheet_->refreshField("SETPOINT_OFFSET");
            sheet_->refreshField("SETPOINT_SPAN");
        }
        compareAndStore();
        link_.post(cmd::kWriteParameter);
    }
    updateButtons();
}

void CParametersDlg::copyDeviceSet() {
    // Only a set that was read completely replaces the edited one.
    if (command() != 0 || !deviceValid()) {
        return;
    }
    link_.sets.currentSet = link_.sets.deviceSet;
    *copy_ = link_.sets.currentSet;
    setModifiedFlag(1);
    sheet_->refreshAll();
    setRadiosFromCopy();
    link_.writeAllowed = 1;
    updateButtons();
}

void CParametersDlg::switchSet(std::int32_t parameterSet, std::uint32_t switchBit) {
    const std::int32_t from = parameterSet == kFactorySet ? kCustomSet : kFactorySet;
    if (copy_->PARAMETER_SET == from) {
        link_.writeAllowed = 0;
        copy_->PARAMETER_SET = parameterSet;
        setRadiosFromCopy();
        compareAndStore();
        // The switch sends the new choice, then the set is read back.
        link_.post(switchBit | cmd::kReadParameter);
    } else {
        // A click on the radio already chosen, or one the set does not allow, changes nothing.
        setRadiosFromCopy();
    }
    updateButtons();
}

void CParametersDlg::reject() {
    sheet_->saveAll();
    compareAndStore();
    endWaitCursor();
    QDialog::reject();
}

// ---------------------------------------------------------------------------------------------
// Engine

void CParametersDlg::onNotification(int code, std::intptr_t) {
    if (code == notify::kParametersRead) {
        copy_->PARAMETER_SET = link_.sets.deviceSet.PARAMETER_SET;
        setRadiosFromCopy();
        sheet_->refreshAll();
    } else if (code == notify::kParametersWritten) {
        setRadiosFromCopy();
        sheet_->refreshAll();
        // The device column shows what the controller holds after the write.
        link_.post(cmd::kReadParameter);
    }
    updateButtons();
}

void CParametersDlg::onTimer(int id) {
    if (id == kButtonTimer) {
        updateButtons();
    } else if (id == kCursorTimer) {
        waitCursorTick();
    }
}

void CParametersDlg::waitCursorTick() {
    if ((command() & kTransferBits) != 0) {
        if (!waitCursor_) {
            waitCursor_ = true;
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
    } else {
        endWaitCursor();
    }
}

void CParametersDlg::endWaitCursor() {
    if (waitCursor_) {
        waitCursor_ = false;
        QApplication::restoreOverrideCursor();
    }
}

// ---------------------------------------------------------------------------------------------
// State

void CParametersDlg::compareAndStore() {
    // Word by word, as stored: a NaN read from a foreign file equals itself, and -0.0 is not 0.0.
    if (std::memcmp(copy_.get(), &link_.sets.currentSet, sizeof(ParameterRecord)) != 0) {
        setModifiedFlag(1);
    }
    link_.sets.currentSet = *copy_;
}

void CParametersDlg::storeDerivedSetpoint() {
    sheet_->refreshField("SETPOINT_OFFSET");
    sheet_->refreshField("SETPOINT_SPAN");
    ParameterRecord& current = link_.sets.currentSet;
    if (current.SETPOINT_OFFSET != copy_->SETPOINT_OFFSET ||
        current.SETPOINT_SPAN != copy_->SETPOINT_SPAN) {
        current.SETPOINT_OFFSET = copy_->SETPOINT_OFFSET;
        current.SETPOINT_SPAN = copy_->SETPOINT_SPAN;
        setModifiedFlag(1);
    }
}

void CParametersDlg::setRadiosFromCopy() {
    factory_->setCheckedAlone(copy_->PARAMETER_SET == kFactorySet);
    custom_->setCheckedAlone(copy_->PARAMETER_SET == kCustomSet);
}

void CParametersDlg::updateButtons() {
    const bool idle = command() == 0;
    read_->setEnabled(idle);
    write_->setEnabled(idle && copy_->PARAMETER_SET != kFactorySet && link_.writeAllowed != 0);
    copyButton_->setEnabled(idle && deviceValid());
    factory_->setEnabled(idle);
    custom_->setEnabled(idle);
    sheet_->enableAll();
}

}  // namespace kvt
