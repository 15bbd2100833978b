// The processes of the user who runs the program: the one list the process services read.
#pragma once

#include "platform/Result.hpp"
#include "platform/UserProcess.hpp"

#include <vector>

namespace tavrel::platform {

class UserProcesses {
public:
    /// Every running process of the current (effective) user that runs an executable file, in
    /// increasing order of process identifier; processes of other users, the system's own
    /// threads and processes that end while the list is taken are left out. Fails when the
    /// processes cannot be listed, which is never the same as none running.
    static Result<std::vector<UserProcess>> list();
};

} // namespace tavrel::platform
