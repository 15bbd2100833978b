// Assertion failure: one line to the system log, then abort.
#include "logging/detail/LogAssert.hpp"

#include "platform/SystemLog.hpp"

#include <cstdlib>
#include <string>

namespace tavrel::logging {

void assertionFailed(std::string_view message, const char* file, int line) noexcept {
    try {
        platform::systemLog("*** Assertion failure in " + std::string(file) + ":" +
                            std::to_string(line) + ": " + std::string(message));
    } catch (...) {
        platform::systemLog(message);
    }
    std::abort();
}

} // namespace tavrel::logging
