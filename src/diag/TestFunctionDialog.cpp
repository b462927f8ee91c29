#include "diag/TestFunctionDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "engine/CommandWord.h"
#include "engine/Notifier.h"

namespace kvt {
namespace {

constexpr float kMaxTime = 20.0f;
constexpr float kStepsPerSecond = 10.0f;
constexpr int kTypeGroup = 1752;
constexpr int kTimeGroup = 1645;
constexpr int kTypeCount = 4;
constexpr int kTypeCaptions[kTypeCount] = {36, 173, 174, 175};  // Off, Ramp, Step, Multistep

QString secondsText(float value) {
    return QString::asprintf("%1.1f", static_cast<double>(value));
}

}  // namespace

TestFunctionDialog::TestFunctionDialog(QWidget* owner, Strings& strings, MessageBoxes& boxes,
                                       TestFunctionState& request, DiagAccess access)
    : CToolDialog(owner, strings, boxes, access.commandWord),
      request_(request),
      access_(std::move(access)) {
    setObjectName(QStringLiteral("testFunctionDialog"));
    setWindowTitle(text(kTitle));
    auto* layout = new QGridLayout(this);

    auto* types = named(new QGroupBox(text(kTitle), this), "static", kTypeGroup);
    auto* typeColumn = new QVBoxLayout(types);
    for (int type = 0; type < kTypeCount; ++type) {
        typeColumn->addWidget(
            named(new QRadioButton(text(kTypeCaptions[type]), types), "radio", kOffRadio + type));
    }
    layout->addWidget(types, 0, 0, 2, 1);

    auto* time = named(new QGroupBox(text(176), this), "static", kTimeGroup);
    auto* timeRow = new QGridLayout(time);
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    auto* e = named(new QLineEdit(time), "edit", kTimeEdit);
    e->setMaximumWidth(charWidth * 8);
    auto* s = named(new SpinButton(time), "spin", kTimeSpin);
    s->setRange(0, kSpinMax);
    auto* readBack = named(new QLineEdit(time), "edit", kReadBackEdit);
    readBack->setReadOnly(true);
    readBack->setMaximumWidth(charWidth * 8);
    // Hidden as in the controller's template: no request reads the time back yet.
    readBack->hide();
    timeRow->addWidget(e, 0, 0);
    timeRow->addWidget(s, 0, 1);
    timeRow->addWidget(readBack, 0, 2);
    layout->addWidget(time, 0, 1);

    auto* buttons = new QDialogButtonBox(Qt::Vertical, this);
    auto* writeButton =
        named(buttons->addButton(text(143), QDialogButtonBox::ActionRole), "button", kWriteButton);
    auto* readButton =
        named(buttons->addButton(text(144), QDialogButtonBox::ActionRole), "button", kReadButton);
    named(buttons->addButton(text(kCancelCaption), QDialogButtonBox::RejectRole), "button",
          kCancelId);
    connect(writeButton, &QPushButton::clicked, this, &TestFunctionDialog::write);
    connect(readButton, &QPushButton::clicked, this, &TestFunctionDialog::read);
    connect(buttons, &QDialogButtonBox::rejected, this, &TestFunctionDialog::reject);
    layout->addWidget(buttons, 0, 2, 2, 1);

    connect(s, &SpinButton::stepped, this, &TestFunctionDialog::step);
    onFocusLost(e, [this] { readTime(); });
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &TestFunctionDialog::updateEnabling);
    timer->start(kEnablingTimerMs);
    showRequest();
    updateEnabling();
}

void TestFunctionDialog::readTime() {
    const float typed = readFloatEdit(*edit(kTimeEdit), 0.0f, kMaxTime);
    request_.testTime = std::round(typed * kStepsPerSecond) / kStepsPerSecond;
    writeEdit(*edit(kTimeEdit), secondsText(request_.testTime));
    spin()->setPosition(static_cast<int>(std::lround(request_.testTime * kStepsPerSecond)));
}

void TestFunctionDialog::readRequest() {
    readTime();
    for (int type = 0; type < kTypeCount; ++type) {
        if (radio(type)->isChecked()) {
            request_.testFunctionType = type;
        }
    }
}

void TestFunctionDialog::step(int delta) {
    const int position = spin()->steppedPosition(delta);
    spin()->setPosition(position);
    request_.testTime = static_cast<float>(position) / kStepsPerSecond;
    writeEdit(*edit(kTimeEdit), secondsText(request_.testTime));
}

void TestFunctionDialog::write() {
    readRequest();
    if (commandWord() == 0 && access_.post) {
        access_.post(cmd::kWriteTestFunction);
    }
    updateEnabling();
}

void TestFunctionDialog::read() {
    readRequest();
    if (commandWord() == 0 && access_.post) {
        access_.post(cmd::kReadTestFunction);
    }
    updateEnabling();
}

void TestFunctionDialog::reject() {
    readRequest();
    QDialog::reject();
}

void TestFunctionDialog::onNotification(int code, std::intptr_t) {
    if (code == notify::kTestFunctionRead && request_.testFunctionReadMark != 0) {
        // Read shows what the controller holds, so that Write after it changes nothing.
        request_.testFunctionType = request_.testFunctionTypeRead;
    }
    if (code == notify::kTestFunctionRead || code == notify::kTestFunctionWritten) {
        showRequest();
    }
    updateEnabling();
}

void TestFunctionDialog::showRequest() {
    for (int type = 0; type < kTypeCount; ++type) {
        radio(type)->setChecked(request_.testFunctionType == type);
    }
    writeEdit(*edit(kTimeEdit), secondsText(request_.testTime));
    spin()->setPosition(static_cast<int>(std::lround(request_.testTime * kStepsPerSecond)));
    edit(kReadBackEdit)
        ->setText(request_.testTimeReadMark != 0 ? secondsText(request_.testTimeRead)
                                                 : text(kNotRead));
}

void TestFunctionDialog::updateEnabling() {
    const bool idle = commandWord() == 0;
    for (int type = 0; type < kTypeCount; ++type) {
        radio(type)->setEnabled(idle);
    }
    for (QWidget* w :
         {static_cast<QWidget*>(edit(kTimeEdit)), static_cast<QWidget*>(spin()),
          static_cast<QWidget*>(button(kWriteButton)), static_cast<QWidget*>(button(kReadButton)),
          static_cast<QWidget*>(button(kCancelId))}) {
        w->setEnabled(idle);
    }
}

}  // namespace kvt
