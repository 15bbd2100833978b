// Description and alert of a script that could not be made.
#include "Source/scripts/AppleScriptUnknownError.hpp"

namespace tavrel {

AppleScriptUnknownError::AppleScriptUnknownError(std::string script)
    : Error("AppleScriptUnknownError(script: " + quoted(script) + ")"), script_(std::move(script)) {
}

Alert AppleScriptUnknownError::alert() const {
    return Alert{"unknown", std::nullopt, {kOKButton}, AlertStyle::warning, std::nullopt};
}

} // namespace tavrel
