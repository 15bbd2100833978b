// The error thrown when whether an application of the product runs cannot be told.
#pragma once

#include "Source/errors/Error.hpp"

#include <string>

namespace tavrel {

class RunningAppCheckError final : public Error {
public:
    /// Why the running applications could not be listed, in words.
    explicit RunningAppCheckError(std::string reason);

    [[nodiscard]] const std::string& reason() const noexcept { return reason_; }

    /// A message that says so and that nothing was removed, the reason as its informative text;
    /// one "OK" button; warning style. (English only for now.)
    [[nodiscard]] Alert alert() const override;

private:
    std::string reason_;
};

} // namespace tavrel
