// Start-up in the order the log needs: the process made safe, the home folder checked, the
// application object marked before the first log line, logging started, then the window; and
// quitting by every route through one place that writes the last line and flushes the log.
#include "Source/window/Application.hpp"

#include "Source/app/AppDelegate.hpp"
#include "Source/errors/Error.hpp"
#include "Source/localization/LocalizedStrings.hpp"
#include "Source/run/Roots.hpp"
#include "Source/window/AlertSheet.hpp"
#include "Source/window/WindowController.hpp"
#include "Source/window/WorkerThread.hpp"
#include "logging/ApplicationTermination.hpp"
#include "platform/BundleInfo.hpp"
#include "platform/ProcessSetup.hpp"
#include "platform/TerminationRequests.hpp"
#include "platform/Workspace.hpp"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <iostream>
#include <optional>

namespace tavrel::window {

namespace {

// Everything the run removes is named from the home folder, and "/" would aim it at the system:
// without a usable one, say so on standard error and in an alert, log nothing and remove nothing.
int refuseWithoutHomeFolder(int argc, char** argv) {
    std::cerr << "TavrelUninstaller: no usable home folder: HOME must be an absolute path to "
                 "an existing folder other than \"/\". Nothing was removed.\n";
    // Qt ends the process when it finds no display; QT_QPA_PLATFORM names one of its own.
    if (!platform::Workspace::hasDisplay() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        return 1;
    }
    const QApplication application(argc, argv);
    const LocalizedStrings& strings = LocalizedStrings::shared();
    QGuiApplication::setApplicationDisplayName(QString::fromStdString(strings.mainTitle()));
    AlertSheet::present(Alert{strings.noHomeFolder(),
                              std::nullopt,
                              {Error::kOKButton},
                              AlertStyle::warning,
                              std::nullopt},
                        nullptr, [] { QCoreApplication::quit(); });
    QApplication::exec();
    return 1;
}

} // namespace

int runApplication(int argc, char** argv) {
    platform::prepareProcess();
    const std::optional<Roots> roots = Roots::current();
    if (!roots) {
        return refuseWithoutHomeFolder(argc, argv);
    }
    // The log dispatcher, made by the first log line, then flushes on will-terminate.
    logging::ApplicationTermination::markApplicationExists();
    QApplication application(argc, argv);
    QApplication::setApplicationName("TavrelUninstaller");
    QGuiApplication::setDesktopFileName(QString::fromStdString(
        platform::BundleInfo::infoString("CFBundleIdentifier").value_or("")));
    if (const auto resources = platform::BundleInfo::resourcesFolder()) {
        QApplication::setWindowIcon(
            QIcon(QString::fromStdString(*resources + "TavrelUninstaller.png")));
    }

    AppDelegate delegate(roots->home);
    WindowController window(LocalizedStrings::shared());
    // The file browser is started by a script, which the window does not wait for.
    WorkerThread workspace(&window, "workspace");
    QObject::connect(window.openLogFolderMenuItem(), &QAction::triggered, &window,
                     [&delegate, &workspace] {
                         workspace.post([&delegate] { delegate.openLogFolderAction(); });
                     });
    // Every route out of the event loop passes here: Cancel, the success alert, closing the
    // window. The line goes first, so that the flush that follows writes it.
    QObject::connect(&application, &QCoreApplication::aboutToQuit, [&delegate, &workspace] {
        workspace.finish(); // its log lines come before the last one
        delegate.applicationWillTerminate();
        logging::ApplicationTermination::postWillTerminate();
    });
    // A session that ends, or a `kill`, quits the same way (after a run under way has ended).
    if (const int requests = platform::TerminationRequests::watch(); requests >= 0) {
        auto* notifier = new QSocketNotifier(requests, QSocketNotifier::Read, &application);
        QObject::connect(notifier, &QSocketNotifier::activated, &window, [requests, &window] {
            (void)platform::TerminationRequests::acknowledge(requests);
            window.requestQuit();
        });
    }
    delegate.applicationDidFinishLaunching();
    window.show();
    return QApplication::exec();
}

} // namespace tavrel::window
