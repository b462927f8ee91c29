// The main window's menu: built from the menu text, with its accelerators, and the table that
// runs each command.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <functional>

#include "app/MainFrame.h"
#include "data/MenuText.h"
#include "scope/view/ChildView.h"

namespace kvt {
namespace {

// Accelerators by command; the menu texts show the key names after a tab.
struct Accelerator {
    int command;
    QKeySequence keys;
};

const Accelerator kAccelerators[] = {
    {command::kHelp, QKeySequence(Qt::Key_F1)},
    {command::kStatus, QKeySequence(Qt::Key_F2)},
    {command::kScopeSetup, QKeySequence(Qt::Key_F3)},
    {command::kStartAcquisition, QKeySequence(Qt::Key_F4)},
    {command::kStopAcquisition, QKeySequence(Qt::Key_F5)},
    {command::kResetZoom, QKeySequence(Qt::Key_F10)},
};

// Commands that open a dialog in one of the eight slots.
const std::pair<int, DialogSlot> kSlotCommands[] = {
    {command::kCalibration, DialogSlot::CalibrationA},
    {command::kCalibrationB, DialogSlot::CalibrationB},
    {command::kCalibrationMatrix, DialogSlot::CalibrationMatrix},
    {command::kParameters, DialogSlot::Parameters},
    {command::kDeviceInfo, DialogSlot::DeviceInfo},
    {command::kSerialSetpoint, DialogSlot::SerialSetpoint},
    {command::kStatus, DialogSlot::StatusInfo},
    {command::kTestFunction, DialogSlot::TestFunction},
};

// The other commands of the menu and the accelerators.
struct Command {
    int id;
    void (*run)(CMainFrame&);
};

const Command kCommands[] = {
    {command::kNewProject, [](CMainFrame& f) { f.newProject(); }},
    {command::kOpenProject, [](CMainFrame& f) { f.openProject(); }},
    {command::kSaveProject, [](CMainFrame& f) { f.saveProject(); }},
    {command::kSaveProjectAs, [](CMainFrame& f) { f.saveProjectAs(); }},
    {command::kProjectInfo, [](CMainFrame& f) { f.projectInfo(); }},
    {command::kPrint, [](CMainFrame& f) { f.print(); }},
    {command::kSerialPort, [](CMainFrame& f) { f.serialPort(); }},
    {command::kExit, [](CMainFrame& f) { f.close(); }},
    {command::kAutoAdapt, [](CMainFrame& f) { f.autoAdapt(); }},
    {command::kScopeSetup, [](CMainFrame& f) { f.scopeSetup(); }},
    {command::kStartAcquisition, [](CMainFrame& f) { f.startAcquisition(); }},
    {command::kStopAcquisition, [](CMainFrame& f) { f.stopAcquisition(); }},
    {command::kShowGrid, [](CMainFrame& f) { f.toggleGrid(); }},
    {command::kResetZoom, [](CMainFrame& f) { f.resetZoom(); }},
    {command::kExportPicture, [](CMainFrame& f) { f.exportPicture(); }},
    {command::kAbout, [](CMainFrame& f) { f.about(); }},
    {command::kHelp, [](CMainFrame& f) { f.help(); }},
};

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

void CMainFrame::buildMenu() {
    MenuParseResult menu = parseMenuText(env_.strings.menuText());
    if (!menu.ok) {
        menu = parseMenuText(StringTable().menuText());
    }
    if (!env_.switches.calibration) {
        for (int id :
             {command::kCalibration, command::kCalibrationB, command::kCalibrationMatrix}) {
            removeMenuItem(menu.bar, id);
        }
    }
    auto keysOf = [](int id) -> QKeySequence {
        for (const auto& a : kAccelerators) {
            if (a.command == id) {
                return a.keys;
            }
        }
        return {};
    };
    auto makeAction = [this, &keysOf](const MenuEntry& entry, QWidget* parent) {
        QString text = qs(entry.text);
        const QKeySequence keys = keysOf(entry.id);
        if (!keys.isEmpty()) {
            text = text.section('\t', 0, 0);
        }
        auto* action = new QAction(text, parent);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        action->setObjectName(QStringLiteral("command%1").arg(entry.id));
        const int id = entry.id;
        connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
        actions_[id] = action;
        return action;
    };
    std::function<void(QMenu*, const std::vector<MenuEntry>&)> fill =
        [&](QMenu* menuWidget, const std::vector<MenuEntry>& entries) {
            for (const auto& entry : entries) {
                switch (entry.kind) {
                    case MenuEntry::Kind::Separator:
                        menuWidget->addSeparator();
                        break;
                    case MenuEntry::Kind::Popup:
                        fill(menuWidget->addMenu(qs(entry.text)), entry.children);
                        break;
                    case MenuEntry::Kind::Item:
                        menuWidget->addAction(makeAction(entry, menuWidget));
                        break;
                }
            }
        };
    QMenuBar* bar = menuBar();
    bar->clear();
    actions_.clear();
    for (const auto& entry : menu.bar) {
        if (entry.kind == MenuEntry::Kind::Popup) {
            QMenu* popup = bar->addMenu(qs(entry.text));
            fill(popup, entry.children);
            connect(popup, &QMenu::aboutToShow, this, [this] { updateCommandStates(); });
        } else if (entry.kind == MenuEntry::Kind::Item) {
            bar->addAction(makeAction(entry, bar));
        }
    }
    if (QAction* grid = action(command::kShowGrid)) {
        grid->setCheckable(true);
    }
    // Accelerators without a menu item.
    auto* debug = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q), this);
    connect(debug, &QShortcut::activated, this, [this] { debugDialog(); });
    for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, this, [this] { view_->enterCommand(); });
    }
}

void CMainFrame::runCommand(int id) {
    for (const auto& [commandId, slot] : kSlotCommands) {
        if (commandId == id) {
            openSlotDialog(slot);
            return;
        }
    }
    for (const Command& entry : kCommands) {
        if (entry.id == id) {
            entry.run(*this);
            return;
        }
    }
}

QAction* CMainFrame::action(int commandId) const {
    const auto it = actions_.find(commandId);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::updateCommandStates() {
    const bool idle = commandWord() == 0;
    if (QAction* start = action(command::kStartAcquisition)) {
        start->setEnabled(idle);
    }
    if (QAction* zoom = action(command::kResetZoom)) {
        zoom->setEnabled(idle);
    }
    if (QAction* grid = action(command::kShowGrid)) {
        grid->setChecked(view_->grid());
    }
}

}  // namespace kvt
