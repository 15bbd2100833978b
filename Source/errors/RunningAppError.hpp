// The error thrown when an application of the product that must not be running is running.
#pragma once

#include "Source/errors/Error.hpp"

#include <optional>
#include <string>

namespace tavrel {

class RunningAppError final : public Error {
public:
    /// The running application's name ("" when it reports none) and its icon file, if any.
    RunningAppError(std::string name, std::optional<std::string> iconPath);

    [[nodiscard]] const std::string& name() const noexcept { return name_; }
    [[nodiscard]] const std::optional<std::string>& iconPath() const noexcept { return iconPath_; }

    /// Message "message.process_is_running" in the user's language, naming the application as
    /// it places it; one "OK" button; warning style; the application's icon.
    [[nodiscard]] Alert alert() const override;

private:
    std::string name_;
    std::optional<std::string> iconPath_;
};

} // namespace tavrel
