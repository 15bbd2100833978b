// Running processes by executable name, by the rules of the kill scripts, from the user's
// process list.
#include "platform/RunningProcesses.hpp"
#include "platform/UserProcesses.hpp"

#include <algorithm>
#include <unistd.h>

namespace tavrel::platform {

Result<std::vector<int>> RunningProcesses::withExecutableName(const std::string& name) {
    const auto processes = UserProcesses::list();
    if (!processes.ok()) {
        return processes.error();
    }
    // This process and those that started it, as far as they are the user's: a kill script
    // started from here leaves them alone too.
    std::vector<int> ownLine;
    for (int pid = getpid();
         pid > 0 && std::find(ownLine.begin(), ownLine.end(), pid) == ownLine.end();) {
        ownLine.push_back(pid);
        const auto process =
            std::find_if(processes->begin(), processes->end(), [&](const UserProcess& candidate) {
                return candidate.processIdentifier == pid;
            });
        pid = process != processes->end() ? process->parentIdentifier : 0;
    }
    std::vector<int> found;
    for (const UserProcess& process : *processes) {
        if (process.executableName == name &&
            std::find(ownLine.begin(), ownLine.end(), process.processIdentifier) == ownLine.end()) {
            found.push_back(process.processIdentifier);
        }
    }
    return found;
}

} // namespace tavrel::platform
