// A program that logs and ends without flushing: the dispatcher's termination flush must still
// write every line. "app" simulates a window front end that posts the will-terminate notification.
#include "logging/ApplicationTermination.hpp"
#include "logging/Log.hpp"
#include "logging/LogDispatcher.hpp"
#include "logging/TTYLogger.hpp"

#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace tavrel::logging;
    const bool asApplication = argc > 1 && std::string(argv[1]) == "app";
    if (asApplication) {
        ApplicationTermination::markApplicationExists();
    }
    LogDispatcher::sharedInstance().addLogger(TTYLogger::make("exitflush", 1, STDOUT_FILENO),
                                              log_levels::kInfo);
    for (int i = 0; i < 5000; ++i) {
        logInfo("main()", "line " + std::to_string(i));
    }
    if (asApplication) {
        ApplicationTermination::postWillTerminate();
        _exit(0); // no exit handlers: only the notification may have flushed
    }
    return 0;
}
