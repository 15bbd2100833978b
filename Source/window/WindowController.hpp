// The uninstaller's one window, loaded from MainWindow.ui: its title, its own menu bar with the
// Log menu, and its content, which a ViewController manages. Closing it quits the application,
// once a run under way has ended.
#pragma once

#include <QMainWindow>
#include <memory>

class QAction;
namespace Ui { // NOLINT(readability-identifier-naming): the namespace uic writes the form in
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
    /// texts from `strings`, which must outlive it.
    explicit WindowController(const LocalizedStrings& strings);
    ~WindowController() override;
    WindowController(const WindowController&) = delete;
    WindowController& operator=(const WindowController&) = delete;

    /// The log menu's item that opens the log folder.
    [[nodiscard]] QAction* openLogFolderMenuItem() const;

    /// Quits the application now, or once the run under way has ended.
    void requestQuit();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void windowDidLoad(const LocalizedStrings& strings);

    std::unique_ptr<Ui::MainWindow> ui_;
    std::unique_ptr<ViewController> viewController_;
};

} // namespace tavrel::window
