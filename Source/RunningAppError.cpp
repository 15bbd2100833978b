// Description and alert of a running product application.
#include "Source/RunningAppError.hpp"

namespace tavrel {

namespace {

// The English text of the running-application message; the name is placed twice. The window
// will look this text up in its strings table instead.
std::string processIsRunningText(const std::string& name) {
    return name + " is running. Quit " + name + " and try again.";
}

} // namespace

RunningAppError::RunningAppError(std::string name, std::optional<std::string> iconPath)
    : Error("RunningAppError(name: " + quoted(name) + ", icon: " + optionalQuoted(iconPath) + ")"),
      name_(std::move(name)), iconPath_(std::move(iconPath)) {}

Alert RunningAppError::alert() const {
    return Alert{
        processIsRunningText(name_), std::nullopt, {kOKButton}, AlertStyle::warning, iconPath_};
}

} // namespace tavrel
