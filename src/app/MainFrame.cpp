#include "app/MainFrame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "app/FrameGeometry.h"
#include "app/FrameTexts.h"
#include "app/HelpWindow.h"
#include "app/QtProjectPrompts.h"
#include "data/FileIo.h"
#include "data/HelpFile.h"
#include "data/ParaIni.h"
#include "data/PortProblem.h"
#include "data/ScopeModel.h"
#include "diag/AboutDialog.h"
#include "engine/AcquisitionCommands.h"
#include "scope/view/ChildView.h"
#include "scope/view/ScopePictureExport.h"

namespace kvt {
namespace {

constexpr int kStatusTimerMs = 1000;
constexpr int kCautionText = 379;
constexpr int kExitRefused = 113;
constexpr int kSaveQuestion = 32;
constexpr int kOpenProjectCaption = 26;
// More than any help text holds; a foreign file at the name shows only its start.
constexpr std::size_t kMaxHelpBytes = 1 << 20;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

CMainFrame::CMainFrame(Environment environment)
    : env_(std::move(environment)), records_(std::make_unique<Records>()) {
    records_->params.deviceSet.VALID = 0;
    records_->parameterWriteAllowed = 0;
    records_->calibrationWriteAllowed = 0;
    ResetProjectData(*records_);
    SetDefaultNames(*records_, env_.strings);

    view_ = new CChildView(
        records_->scope, records_->samples, records_->acquisition, env_.strings, trace_,
        [this] { return commandWord(); }, this);

    showBox({env_.strings.text(kCautionText), env_.strings.text(ids::kAppTitle), BoxButtons::Ok,
             BoxIcon::Stop, false});
}

CMainFrame::~CMainFrame() {
    stopThreads();
    // Dialogs in their slots belong to this window; they go before the records they show.
    for (auto& slot : slots_) {
        slot.reset();
    }
}

bool CMainFrame::create() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    screenClass_ = screen != nullptr && screen->size().width() <= 1000 ? 800 : 1024;
    if (screen != nullptr) {
        // The size the frame returns to from maximized, and keeps where nothing maximizes it.
        setGeometry(restoredFrameGeometry(screen->availableGeometry()));
    }
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette background = palette();
    background.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(background);

    auto* client = new QWidget(this);
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_, 1);
    QFont barFont = font();
    const int shrink = screenClass_ == 800 ? 6 : 4;
    barFont.setPixelSize(std::max(8, QFontMetrics(font()).height() - shrink));
    barFont.setWeight(QFont::Medium);
    fileBar_ = new CMainStatusBar(2, barFont, client);
    projectBar_ = new CMainStatusBar(1, barFont, client);
    layout->addWidget(projectBar_);
    layout->addWidget(fileBar_);
    setCentralWidget(client);

    buildMenu();

    statusTimer_ = new QTimer(this);
    statusTimer_->setInterval(kStatusTimerMs);
    connect(statusTimer_, &QTimer::timeout, this, [this] {
        updateStatusBars();
        updateCommandStates();
    });
    statusTimer_->start();

    const std::filesystem::path dir = env_.workingDirectory;
    ReadComSettings(dir, records_->port, devicePaths_);
    WriteComSettings(dir, records_->port, devicePaths_);

    ReadParaIni(dir, records_->params);
    WriteParaIni(dir, records_->params);
    records_->params.currentSet = records_->params.defaultSet;

    trace_.setLogFlag(env_.switches.log);
    if (env_.switches.log) {
        trace_.open(dir, env_.strings.text(ids::kAppTitle), env_.switches.testMode);
    }

    refreshTitle();
    updateStatusBars();

    notifier_ = std::make_unique<QtNotifier>(
        this, [this](int code, std::intptr_t value) { onMessageReceived(code, value); },
        [this](const MessageBoxRequest& request) { return showBox(request); });
    DeviceSession::Options options;
    options.timing = env_.timing;
    options.testMode = env_.switches.testMode;
    session_ =
        std::make_unique<DeviceSession>(*records_, trace_, *notifier_, env_.strings, options);
    applyDevicePaths();
    session_->start();
    updateCommandStates();
    return true;
}

std::uint32_t CMainFrame::commandWord() const {
    return session_ ? session_->engine().commandWord() : 0;
}

bool CMainFrame::acquisitionRunning() const {
    return (commandWord() & cmd::kAcquisitionBits) != 0;
}

void CMainFrame::setModified(bool modified) {
    modified_ = modified ? 1 : 0;
    refreshTitle();
}

BoxResult CMainFrame::showBox(const MessageBoxRequest& request) {
    return env_.boxes.show(request, this);
}

void CMainFrame::applyDevicePaths() {
    if (!session_) {
        return;
    }
    session_->useDevicePaths(devicePaths_, env_.deviceOverride);
}

// ---------------------------------------------------------------------------------------------
// Title and status bars

void CMainFrame::refreshTitle() {
    setWindowTitle(qs(frameTitle(env_.strings, records_->projectInfo,
                                 (env_.switches.testMode & 1u) != 0, modified_ != 0)));
}

void CMainFrame::updateStatusBars() {
    const StatusTexts texts = statusTexts(env_.strings, *records_);
    projectBar_->setPaneText(0, qs(texts.project));
    fileBar_->setPaneText(0, qs(texts.file));
    projectBar_->setPaneText(1, qs(texts.setpoint));
    fileBar_->setPaneText(1, qs(texts.parameter));
}

// ---------------------------------------------------------------------------------------------
// Notifications

void CMainFrame::onMessageReceived(int code, std::intptr_t value) {
    const NotificationRoute route = routeFor(code);
    if (route.ignored) {
        return;
    }
    for (int i = 0; i < kDialogSlotCount; ++i) {
        if ((route.targets & (1u << i)) == 0 || !slots_[static_cast<std::size_t>(i)]) {
            continue;
        }
        // Forwarded as a post: the dialog handles it after this handler returns.
        QPointer<CToolDialog> dialog = slots_[static_cast<std::size_t>(i)].get();
        QMetaObject::invokeMethod(
            dialog,
            [dialog, code, value] {
                if (dialog) {
                    dialog->onNotification(code, value);
                }
            },
            Qt::QueuedConnection);
    }
    if (route.copyCurrentToDeviceWhenNoParameters &&
        !slots_[static_cast<int>(DialogSlot::Parameters)]) {
        records_->params.deviceSet = records_->params.currentSet;
    }
    if (route.view == NotificationRoute::View::Send) {
        view_->onDisplayUpdate(static_cast<int>(value));
    } else if (route.view == NotificationRoute::View::Post) {
        QMetaObject::invokeMethod(
            view_, [this] { view_->onAcquisitionEnded(); }, Qt::QueuedConnection);
        // The recording is part of the project file: without this, Exit would drop it unasked.
        // A hard stop with nothing started ends no recording of this project.
        if (recordingStarted_) {
            recordingStarted_ = false;
            setModified(true);
        }
    }
    if (recordingStarted_ && (route.box == NotificationRoute::Box::CommunicationError ||
                              route.box == NotificationRoute::Box::BaudrateError)) {
        recordingStarted_ = false;
        view_->onAcquisitionAbandoned();
        // The start emptied the buffers and part of a recording is in them: the project changed.
        setModified(true);
    }
    switch (route.box) {
        case NotificationRoute::Box::CommunicationError:
            showBox({env_.strings.text(ids::kCommunicationError), env_.strings.text(ids::kAppTitle),
                     BoxButtons::Ok, BoxIcon::None, true});
            break;
        case NotificationRoute::Box::BaudrateError:
            // This one comes from the program's own table only. When the port would not even
            // open, the second line says why (another program holds it, no such device, ...).
            showBox({env_.strings.builtin(ids::kBaudrateError),
                     env_.strings.builtin(ids::kAppTitle), BoxButtons::Ok, BoxIcon::None, true,
                     BoxResult::Ok,
                     portProblemText(session_->devicePath(records_->port.portCode.load()),
                                     session_->portOpenError())});
            break;
        case NotificationRoute::Box::UnknownCode:
            showBox({"ERROR OnMsgReceive ", "ZEB", BoxButtons::Ok, BoxIcon::None, true});
            break;
        case NotificationRoute::Box::None:
            break;
    }
}

// ---------------------------------------------------------------------------------------------
// Project commands

ProjectContext CMainFrame::projectContext() {
    return ProjectContext{*records_, env_.strings, trace_, env_.workingDirectory, devicePaths_};
}

ProjectPrompts& CMainFrame::prompts() {
    if (env_.prompts != nullptr) {
        return *env_.prompts;
    }
    if (!ownPrompts_) {
        ownPrompts_ = std::make_unique<QtProjectPrompts>(this, env_.boxes);
    }
    return *ownPrompts_;
}

static FrameDialogs& frameDialogsOf(CMainFrame::Environment& env,
                                    std::unique_ptr<FrameDialogs>& own) {
    if (env.dialogs != nullptr) {
        return *env.dialogs;
    }
    if (!own) {
        own = makeFrameDialogs();
    }
    return *own;
}

void CMainFrame::resetScopeView() {
    view_->reloadChannelNames();
    view_->resetView();
    view_->update();
}

void CMainFrame::newProject() {
    // Resetting the project while a recording runs would leave the controller streaming and the
    // engine writing into buffers that are being cleared.
    if (acquisitionRunning()) {
        showBox({env_.strings.text(kExitRefused), env_.strings.text(ids::kAppTitle), BoxButtons::Ok,
                 BoxIcon::None, true});
        return;
    }
    if (modified_ != 0) {
        const BoxResult answer =
            showBox({env_.strings.text(kSaveQuestion), env_.strings.text(kOpenProjectCaption),
                     BoxButtons::YesNo, BoxIcon::Exclamation, true});
        // A save that did not write ends the command, so the changes are not thrown away.
        if (answer == BoxResult::Yes && saveProject() != save_result::kSaved) {
            return;
        }
    }
    ResetProjectData(*records_);
    SetDefaultNames(*records_, env_.strings);
    applyDevicePaths();
    records_->parameterWriteAllowed = 0;
    records_->params.currentSet = records_->params.defaultSet;
    records_->calibrationWriteAllowed = 0;
    refreshTitle();
    session_->engine().clearAll();

    const FrameDialogs::Outcome outcome =
        frameDialogsOf(env_, ownDialogs_).runProjectInfo(*this, true);
    if (outcome.accepted) {
        if (outcome.changed) {
            modified_ = 1;
        }
        ProjectInfo& info = records_->projectInfo;
        setFieldText(info.fullPath, fieldText(info.fileName));
        ProjectContext context = projectContext();
        modified_ = WriteNewProject(context, prompts(), modified_ != 0).modified ? 1 : 0;
        refreshTitle();
    }
    resetScopeView();
}

void CMainFrame::openProject() {
    if (acquisitionRunning()) {
        showBox({env_.strings.text(kExitRefused), env_.strings.text(ids::kAppTitle), BoxButtons::Ok,
                 BoxIcon::None, true});
        return;
    }
    ProjectContext context = projectContext();
    const OpenOutcome outcome =
        OpenProject(context, prompts(), modified_ != 0, [this] { session_->engine().clearAll(); });
    modified_ = outcome.modified ? 1 : 0;
    if (outcome.opened) {
        applyDevicePaths();
        resetScopeView();
    }
    refreshTitle();
}

int CMainFrame::saveProject() {
    ProjectContext context = projectContext();
    const SaveOutcome outcome = SaveProject(context, prompts(), modified_ != 0);
    modified_ = outcome.modified ? 1 : 0;
    refreshTitle();
    return outcome.result;
}

int CMainFrame::saveProjectAs() {
    ProjectContext context = projectContext();
    const SaveOutcome outcome = SaveProjectAs(context, prompts(), modified_ != 0);
    modified_ = outcome.modified ? 1 : 0;
    refreshTitle();
    return outcome.result;
}

void CMainFrame::projectInfo() {
    const FrameDialogs::Outcome outcome =
        frameDialogsOf(env_, ownDialogs_).runProjectInfo(*this, false);
    if (outcome.accepted && outcome.changed) {
        modified_ = 1;
    }
    refreshTitle();
}

void CMainFrame::serialPort() {
    const FrameDialogs::Outcome outcome = frameDialogsOf(env_, ownDialogs_).runSerialPort(*this);
    if (outcome.accepted && outcome.changed) {
        records_->port.baudCode = PortSettings::BaudUnknown;
        WriteComSettings(env_.workingDirectory, records_->port, devicePaths_);
        applyDevicePaths();
    }
    refreshTitle();
}

void CMainFrame::scopeSetup() {
    const FrameDialogs::Outcome outcome = frameDialogsOf(env_, ownDialogs_).runScopeSetup(*this);
    // A Cancel after "Yes" keeps the edited settings too: whatever changed the settings counts.
    if (outcome.changed) {
        clearSamples(records_->samples);
        view_->zoomBack();
        modified_ = 1;
    }
    refreshTitle();
    view_->reloadChannelNames();
    view_->setPeriodFromSettings();
    view_->update();
}

void CMainFrame::debugDialog() {
    frameDialogsOf(env_, ownDialogs_).runDebug(*this);
}

void CMainFrame::print() {
    frameDialogsOf(env_, ownDialogs_).runPrint(*this);
}

void CMainFrame::openSlotDialog(DialogSlot slot) {
    auto& held = slots_[static_cast<std::size_t>(slot)];
    held.reset();
    held = frameDialogsOf(env_, ownDialogs_).createSlotDialog(*this, slot);
    if (!held) {
        return;
    }
    const int result = held->exec();
    const bool changed = held->modifiedFlag() != 0;
    switch (slot) {
        case DialogSlot::DeviceInfo:
        case DialogSlot::StatusInfo:
            break;
        case DialogSlot::TestFunction:
            if (result == QDialog::Accepted && changed) {
                modified_ = 1;
            }
            refreshTitle();
            break;
        default:
            if (changed) {
                modified_ = 1;
            }
            refreshTitle();
            break;
    }
    held.reset();
}

// ---------------------------------------------------------------------------------------------
// Scope commands

void CMainFrame::startAcquisition() {
    if (commandWord() != 0) {
        return;
    }
    clearSamples(records_->samples);
    const int mode = records_->scope.mode;
    view_->startAcquisitionView(mode);
    // A mode outside the three starts nothing.
    if (const std::uint32_t bit = acquisitionBitForMode(mode); bit != 0) {
        recordingStarted_ = true;
        session_->engine().post(bit);
        trace_.info(acquisitionStartTrace(mode));
    }
    view_->update();
    updateCommandStates();
}

void CMainFrame::stopAcquisition() {
    // One atomic change of the command word: the engine must never see it 0 in between, which
    // would abandon the acquisition without sending PAS.
    trace_.info(acquisitionStopTrace(requestAcquisitionStop(session_->engine())));
}

void CMainFrame::toggleGrid() {
    view_->setGrid(!view_->grid());
    updateCommandStates();
    view_->update();
}

void CMainFrame::exportPicture() {
    ProjectPrompts::FileDialog dialog;
    dialog.save = true;
    dialog.filters.push_back({"PNG Pictures (*.png)", "*.png"});
    if (svgExportAvailable()) {
        dialog.filters.push_back({"SVG Pictures (*.svg)", "*.svg"});
    }
    dialog.defaultExtension = "png";
    const std::string project = fieldText(records_->projectInfo.fullPath);
    if (!project.empty()) {
        dialog.initialPath = project.substr(0, project.rfind('.')) + ".png";
    }
    const auto choice = prompts().chooseFile(dialog);
    if (choice.choice != ProjectPrompts::Choice::Ok) {
        return;
    }
    std::string error;
    if (!exportScopePicture(*view_, env_.strings, choice.fullPath, error)) {
        prompts().warn("Cannot write " + choice.fullPath + ": " + error,
                       env_.strings.text(ids::kAppTitle));
    }
}

void CMainFrame::resetZoom() {
    if (commandWord() == 0) {
        view_->zoomBack();
    }
}

// ---------------------------------------------------------------------------------------------
// Diagnosis and help

void CMainFrame::autoAdapt() {
    const std::string caption = "Auto-Adapt";
    showBox(
        {env_.strings.text(ids::kAutoAdaptWarning), caption, BoxButtons::Ok, BoxIcon::Stop, true});
    const BoxResult answer = showBox({env_.strings.text(ids::kAutoAdaptQuestion), caption,
                                      BoxButtons::OkCancel, BoxIcon::Stop, true});
    if (answer == BoxResult::Ok && commandWord() == 0) {
        session_->engine().post(cmd::kWriteAutoAdapt);
    }
}

void CMainFrame::about() {
    AboutDialog dialog(this, env_.strings, QString::fromLatin1(kVersionText),
                       QString::fromStdString(env_.buildStamp));
    dialog.exec();
}

HelpWindow* CMainFrame::helpWindow() const {
    return helpWindow_;
}

void CMainFrame::help() {
    const std::vector<std::string> candidates =
        helpFileCandidates(env_.workingDirectory, env_.helpFolders);
    const std::string path = findHelpFile(candidates);
    const FileReadResult file =
        path.empty() ? FileReadResult{} : readFilePrefix(path, kMaxHelpBytes);
    if (!file.opened) {
        showBox({helpFileMissingText(candidates), env_.strings.text(ids::kAppTitle), BoxButtons::Ok,
                 BoxIcon::Exclamation, true});
        return;
    }
    if (helpWindow_ == nullptr) {
        helpWindow_ = new HelpWindow(this, qs(env_.strings.text(ids::kAppTitle)));
        helpWindow_->setAttribute(Qt::WA_DeleteOnClose);
    }
    // Read again each time, so an edited text shows without a restart.
    helpWindow_->showText(file.bytes, qs(path));
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

// ---------------------------------------------------------------------------------------------
// Exit

bool CMainFrame::exitAllowed() {
    const std::uint32_t word = commandWord();
    const bool stopPending = (word & (cmd::kStopAcquisition | cmd::kHardStopAcquisition)) != 0;
    if ((word & cmd::kAcquisitionBits) != 0 && !stopPending) {
        showBox({env_.strings.text(kExitRefused), env_.strings.text(ids::kAppTitle), BoxButtons::Ok,
                 BoxIcon::None, true});
        return false;
    }
    if (modified_ != 0) {
        MessageBoxRequest question{env_.strings.text(kSaveQuestion),
                                   env_.strings.text(ids::kAppTitle),
                                   BoxButtons::YesNoCancel,
                                   BoxIcon::Exclamation,
                                   true,
                                   BoxResult::No};
        switch (showBox(question)) {
            case BoxResult::Yes:
                // Closing after a failed save would lose the project: the window stays open.
                return saveProject() == save_result::kSaved;
            case BoxResult::No:
                return true;
            default:
                return false;
        }
    }
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (!exitApproved_ && !exitAllowed()) {
        event->ignore();
        return;
    }
    exitApproved_ = true;
    closing_ = true;
    statusTimer_->stop();
    // The threads are stopped once, here; the view's own close does not stop them again.
    stopThreads();
    event->accept();
}

void CMainFrame::stopThreads() {
    if (threadsStopped_) {
        return;
    }
    threadsStopped_ = true;
    if (session_) {
        session_->stop();
    }
    trace_.close();
}

void CMainFrame::focusInEvent(QFocusEvent* event) {
    QMainWindow::focusInEvent(event);
    if (!closing_) {
        view_->setFocus();
    }
}

}  // namespace kvt
