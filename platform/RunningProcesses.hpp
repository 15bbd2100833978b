// Finding the current user's running processes by the file name of their executable.
#pragma once

#include "platform/Result.hpp"

#include <string>
#include <vector>

namespace tavrel::platform {

class RunningProcesses {
public:
    /// The process identifiers, in increasing order, of the current user's processes whose
    /// executable file is named exactly `name` (the whole file name, letter case significant),
    /// also when that file was deleted or moved after the process started; never a process of
    /// another user, the calling process or a process that started it. These are the processes
    /// the helper kill scripts stop. Fails when the processes cannot be listed.
    static Result<std::vector<int>> withExecutableName(const std::string& name);
};

} // namespace tavrel::platform
