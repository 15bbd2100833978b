// The error thrown when AppleScript source text cannot be made into a script at all.
#pragma once

#include "Source/errors/Error.hpp"

#include <string>

namespace tavrel {

class AppleScriptUnknownError final : public Error {
public:
    /// The source text exactly as it was passed to the runner.
    explicit AppleScriptUnknownError(std::string script);

    [[nodiscard]] const std::string& script() const noexcept { return script_; }

    /// Message "unknown"; one "OK" button; warning style.
    [[nodiscard]] Alert alert() const override;

private:
    std::string script_;
};

} // namespace tavrel
