// Description and alert of a running-application check that could not be made.
#include "Source/errors/RunningAppCheckError.hpp"

#include "Source/localization/LocalizedStrings.hpp"

namespace tavrel {

RunningAppCheckError::RunningAppCheckError(std::string reason)
    : Error("RunningAppCheckError(reason: " + quoted(reason) + ")"), reason_(std::move(reason)) {}

Alert RunningAppCheckError::alert() const {
    return Alert{LocalizedStrings::shared().text("message.running_unknown"),
                 reason_,
                 {kOKButton},
                 AlertStyle::warning,
                 std::nullopt};
}

} // namespace tavrel
