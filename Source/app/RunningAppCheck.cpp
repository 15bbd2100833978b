// Running-application check through the platform's running applications.
#include "Source/app/RunningAppCheck.hpp"

#include "Source/errors/RunningAppCheckError.hpp"
#include "Source/errors/RunningAppError.hpp"
#include "platform/RunningApplications.hpp"

namespace tavrel {

void checkNotRunning(const std::string& bundleIdentifier) {
    const auto running = platform::RunningApplications::withBundleIdentifier(bundleIdentifier);
    if (!running.ok()) {
        throw RunningAppCheckError(running.error().localizedDescription());
    }
    if (running->empty()) {
        return;
    }
    const platform::RunningApplication& first = running->front();
    throw RunningAppError(first.localizedName.value_or(""), first.iconPath);
}

} // namespace tavrel
