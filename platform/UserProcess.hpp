// One running process of the current user, as the system's process list shows it.
#pragma once

#include <string>

namespace tavrel::platform {

struct UserProcess {
    int processIdentifier = 0;
    int parentIdentifier = 0;         // 0 when the process was started by the system itself
    unsigned long long startTime = 0; // when it started, in the system's ticks: earlier is older
    /// Where the executable file was when the process started it, or where it has been moved to
    /// since; never with a mark of deletion.
    std::string executablePath;
    std::string executableName;     // the last component of executablePath
    bool executableDeleted = false; // that file was deleted (or replaced) since
};

} // namespace tavrel::platform
