// The window and its menu.
#include "Source/window/WindowController.hpp"

#include "Source/localization/LocalizedStrings.hpp"
#include "Source/window/ViewController.hpp"
#include "ui_MainWindow.h"

#include <QCloseEvent>

namespace tavrel::window {

WindowController::WindowController(const LocalizedStrings& strings)
    : ui_(std::make_unique<Ui::MainWindow>()) {
    ui_->setupUi(this);
    windowDidLoad(strings);
    viewController_ = std::make_unique<ViewController>(
        ui_->contentView,
        ViewController::Outlets{ui_->cancelButton, ui_->descriptionLabel, ui_->uninstallButton,
                                ui_->versionLabel, ui_->planHeading, ui_->planView,
                                ui_->progressLabel, ui_->progressBar},
        strings);
}

WindowController::~WindowController() = default;

QAction* WindowController::openLogFolderMenuItem() const {
    return ui_->openLogFolderMenuItem;
}

void WindowController::requestQuit() {
    viewController_->requestQuit();
}

void WindowController::closeEvent(QCloseEvent* event) {
    if (viewController_->running()) {
        // The window stays until the run has ended; then the application quits.
        event->ignore();
        viewController_->requestQuit();
        return;
    }
    QMainWindow::closeEvent(event);
}

void WindowController::windowDidLoad(const LocalizedStrings& strings) {
    setWindowTitle(QString::fromStdString(strings.mainTitle()));
    // On Linux the log menu lives in the window's own menu bar, so the window titles it.
    ui_->logMenu->setTitle(QString::fromStdString(strings.logMenu()));
    ui_->openLogFolderMenuItem->setText(QString::fromStdString(strings.openLogFolderItem()));
}

} // namespace tavrel::window
