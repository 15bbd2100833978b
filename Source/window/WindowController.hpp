// The uninstaller's one window, loaded from MainWindow.ui: its title, its own menu bar with the
// Log menu, and its content, which a ViewController manages. Closing it quits the application.
#pragma once

#include "Source/run/Roots.hpp"

#include <QMainWindow>
#include <memory>

class QAction;
namespace Ui {
class MainWindow;
} // namespace Ui

namespace tavrel {
class LocalizedStrings;
} // namespace tavrel

namespace tavrel::window {

class ViewController;

class WindowController final : public QMainWindow {
public:
    /// Loads the window from the interface file and gives it, its menu and its controls their
    /// texts from `strings`, which must outlive it. The run looks for the product in `roots`.
    WindowController(Roots roots, const LocalizedStrings& strings);
    ~WindowController() override;

    /// The log menu's item that opens the log folder.
    [[nodiscard]] QAction* openLogFolderMenuItem() const;

private:
    void windowDidLoad(const LocalizedStrings& strings);

    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<ViewController> viewController_;
};

} // namespace tavrel::window
