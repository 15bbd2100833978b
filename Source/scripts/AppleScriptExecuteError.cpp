// Description and alert of a script that failed while it ran.
#include "Source/scripts/AppleScriptExecuteError.hpp"

namespace tavrel {

AppleScriptExecuteError::AppleScriptExecuteError(std::string script,
                                                 std::optional<long long> errorNumber,
                                                 std::optional<std::string> errorMessage)
    : Error("AppleScriptExecuteError(script: " + quoted(script) + ", errorNumber: " +
            optionalNumber(errorNumber) + ", errorMessage: " + optionalQuoted(errorMessage) + ")"),
      script_(std::move(script)), errorNumber_(errorNumber),
      errorMessage_(std::move(errorMessage)) {}

Alert AppleScriptExecuteError::alert() const {
    std::string message = "unknown";
    if (errorNumber_ && errorMessage_) {
        message = *errorMessage_ + " (" + std::to_string(*errorNumber_) + ")";
    } else if (errorNumber_) {
        message = std::to_string(*errorNumber_);
    } else if (errorMessage_) {
        message = *errorMessage_;
    }
    return Alert{std::move(message), std::nullopt, {kOKButton}, AlertStyle::warning, std::nullopt};
}

} // namespace tavrel
