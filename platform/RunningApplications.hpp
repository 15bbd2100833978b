// Finding the current user's running applications by bundle identifier.
#pragma once

#include "platform/Result.hpp"
#include "platform/RunningApplication.hpp"

#include <string>
#include <vector>

namespace tavrel::platform {

class RunningApplications {
public:
    /// The current user's running applications whose bundle has that identifier, the oldest
    /// process first; empty when none runs. A bundle whose information cannot be read (see
    /// UntrustedFile) has no identifier. Fails when the processes cannot be listed, since
    /// whether one runs is then unknown.
    static Result<std::vector<RunningApplication>>
    withBundleIdentifier(const std::string& bundleIdentifier);
};

} // namespace tavrel::platform
