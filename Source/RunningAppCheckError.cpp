// Description and alert of a running-application check that could not be made.
#include "Source/RunningAppCheckError.hpp"

namespace tavrel {

RunningAppCheckError::RunningAppCheckError(std::string reason)
    : Error("RunningAppCheckError(reason: " + quoted(reason) + ")"), reason_(std::move(reason)) {}

Alert RunningAppCheckError::alert() const {
    return Alert{"Tavrel Uninstaller cannot tell whether Tavrel is running, so it removed nothing.",
                 reason_,
                 {kOKButton},
                 AlertStyle::warning,
                 std::nullopt};
}

} // namespace tavrel
