// The application delegate of the window: starts logging at launch, opens the log folder on
// request and writes the closing log line. The window's Qt code calls it; it knows no Qt.
#pragma once

#include <string>

namespace tavrel {

class AppDelegate {
public:
    /// A delegate for the user whose home folder is `homeFolder`.
    explicit AppDelegate(std::string homeFolder) : homeFolder_(std::move(homeFolder)) {}

    /// Launching has finished: starts logging (Logger::startUp).
    void applicationDidFinishLaunching();

    /// Logs "----- Open Log Folder -----", asks the workspace to open the log folder and logs
    /// "Success" or "Failed" by its answer. Shows nothing either way.
    void openLogFolderAction() const;

    /// Logs "----- Terminate -----", the application's last own log line.
    void applicationWillTerminate();

    /// The home folder directly followed by "/Library/Logs/TavrelUninstaller/".
    [[nodiscard]] std::string logFolder() const;

private:
    std::string homeFolder_;
};

} // namespace tavrel
