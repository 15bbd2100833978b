// Log set-up at launch: registers the loggers and writes the start-up banner.
#pragma once

namespace tavrel {

class Logger {
public:
    /// Registers the terminal logger at info level. Called once per process, at launch.
    static void startUp();
};

} // namespace tavrel
