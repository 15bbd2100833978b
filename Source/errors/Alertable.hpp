// The protocol of every error that can show itself to the user.
#pragma once

#include "Source/errors/Alert.hpp"

namespace tavrel {

class Alertable {
public:
    virtual ~Alertable() = default;

    /// A new, fully configured alert for this error, not yet shown.
    [[nodiscard]] virtual Alert alert() const = 0;

protected:
    Alertable() = default;
    Alertable(const Alertable&) = default;
    Alertable& operator=(const Alertable&) = default;
};

} // namespace tavrel
