// The check made before an uninstall: an application of the product must not be running.
#pragma once

#include <string>

namespace tavrel {

/// Returns when no application with that bundle identifier runs for the current user; otherwise
/// throws RunningAppError naming the first (oldest) one found, or RunningAppCheckError when the
/// running applications cannot be listed.
void checkNotRunning(const std::string& bundleIdentifier);

} // namespace tavrel
