// Finding the current user's running applications by bundle identifier.
#pragma once

#include "platform/RunningApplication.hpp"

#include <string>
#include <vector>

namespace tavrel::platform {

class RunningApplications {
public:
    /// The current user's running applications whose bundle has that identifier, the oldest
    /// process first; empty when none runs.
    static std::vector<RunningApplication>
    withBundleIdentifier(const std::string& bundleIdentifier);
};

} // namespace tavrel::platform
