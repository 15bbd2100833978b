// Description and alert of a failed bundle or data folder deletion.
#include "Source/jobs/RemoveAppBundleError.hpp"

namespace tavrel::jobs {

RemoveAppBundleError::RemoveAppBundleError(std::string path, platform::FileError error)
    : Error("RemoveAppBundleError(path: " + quoted(path) + ", error: " + error.description() + ")"),
      path_(std::move(path)), error_(std::move(error)) {}

Alert RemoveAppBundleError::alert() const {
    // The path is not shown: the localized description already names the item.
    return Alert{error_.localizedDescription(),
                 std::nullopt,
                 {kOKButton},
                 AlertStyle::warning,
                 std::nullopt};
}

} // namespace tavrel::jobs
