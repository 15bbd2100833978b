// The error thrown when a script was made but running it failed.
#pragma once

#include "Source/errors/Error.hpp"

#include <optional>
#include <string>

namespace tavrel {

class AppleScriptExecuteError final : public Error {
public:
    /// The source text as passed to the runner, and the number and message the failure
    /// reported, each absent when the failure did not report it.
    AppleScriptExecuteError(std::string script, std::optional<long long> errorNumber,
                            std::optional<std::string> errorMessage);

    [[nodiscard]] const std::string& script() const noexcept { return script_; }
    [[nodiscard]] const std::optional<long long>& errorNumber() const noexcept {
        return errorNumber_;
    }
    [[nodiscard]] const std::optional<std::string>& errorMessage() const noexcept {
        return errorMessage_;
    }

    /// Message "<message> (<number>)", or whichever of the two is present, or "unknown"; the
    /// source text is never shown. One "OK" button; warning style.
    [[nodiscard]] Alert alert() const override;

private:
    std::string script_;
    std::optional<long long> errorNumber_;
    std::optional<std::string> errorMessage_;
};

} // namespace tavrel
