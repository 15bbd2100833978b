// Description and alert of a running product application.
#include "Source/errors/RunningAppError.hpp"

#include "Source/localization/LocalizedStrings.hpp"

namespace tavrel {

RunningAppError::RunningAppError(std::string name, std::optional<std::string> iconPath)
    : Error("RunningAppError(name: " + quoted(name) + ", icon: " + optionalQuoted(iconPath) + ")"),
      name_(std::move(name)), iconPath_(std::move(iconPath)) {}

Alert RunningAppError::alert() const {
    return Alert{LocalizedStrings::shared().processIsRunning(name_),
                 std::nullopt,
                 {kOKButton},
                 AlertStyle::warning,
                 iconPath_};
}

} // namespace tavrel
