// The window application: start-up, event loop and termination of TavrelUninstaller.
#pragma once

namespace tavrel::window {

/// Runs the window application with the program's arguments (Qt's own options among them) until
/// the user quits, and returns its exit status. Without a usable home folder it says so on
/// standard error and returns 1 at once, as the command line does. Quitting by any route logs
/// the terminate line and flushes the log.
int runApplication(int argc, char** argv);

} // namespace tavrel::window
