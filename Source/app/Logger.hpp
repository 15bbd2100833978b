// Log set-up at launch: registers the loggers and writes the start-up banner.
#pragma once

namespace tavrel {

class Logger {
public:
    /// Whether log lines are shown on the terminal too.
    enum class Terminal { shown, omitted };

    /// Registers the terminal logger (unless `terminal` is omitted) and a file logger writing into
    /// ~/Library/Logs/TavrelUninstaller/ (rolled every 24 hours, at most 7 files; without a
    /// usable home folder, the temporary folder's Logs/), both at info level, then writes the
    /// start-up banner. Called once per process, at launch; returns
    /// without waiting for any logger, and never fails (file problems go to the system log).
    static void startUp(Terminal terminal = Terminal::shown);
};

} // namespace tavrel
