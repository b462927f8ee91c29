#include "app/Application.h"

#include <QApplication>
#include <QMetaObject>
#include <QThread>

#include "app/MainFrame.h"
#include "data/Format.h"
#include "data/HelpFile.h"
#include "data/StartupEnvironment.h"
#include "widgets/MessageBoxes.h"

namespace kvt {

int runApplication(int argc, char** argv) {
    QApplication app(argc, argv);
    QtMessageBoxes boxes;

    const std::string workingDirectory = currentWorkingDirectory();
    StringTable strings;
    // A text missing from the language library may be looked up on any thread; the box is shown
    // on the user-interface thread.
    strings.setMessageBox([&boxes](const std::string& text, const std::string& caption) {
        auto show = [&boxes, text, caption] {
            boxes.show({text, caption, BoxButtons::Ok, BoxIcon::None, false}, nullptr);
        };
        if (QThread::currentThread() == qApp->thread()) {
            show();
        } else {
            QMetaObject::invokeMethod(qApp, show, Qt::QueuedConnection);
        }
    });
    std::string failure;
    if (!strings.loadLanguageLibrary(workingDirectory, &failure)) {
        boxes.show({failure, "", BoxButtons::Ok, BoxIcon::None, false}, nullptr);
    }

    const StartupSwitches switches = parseSwitches(commandLineText(argc, argv));
    int result = 1;
    {
        CMainFrame::Environment environment{strings, boxes};
        environment.switches = switches;
        environment.workingDirectory = workingDirectory;
        environment.buildStamp = programBuildStamp();
        environment.helpFolders = installedHelpFolders(
            KVT_INSTALLED_DATADIR, QCoreApplication::applicationDirPath().toStdString());
        CMainFrame frame(std::move(environment));
        if (frame.create()) {
            frame.showMaximized();
            frame.repaint();
            // A benchmark aid: end as soon as the window is on screen.
            if (qEnvironmentVariable("KVT_EXIT_WHEN_SHOWN") == QLatin1String("1")) {
                QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
            }
            result = QApplication::exec();
        }
    }
    strings.unloadLanguageLibrary();
    return result;
}

}  // namespace kvt
