// Switching a helper application's launch at login on or off by its bundle identifier.
#pragma once

#include "platform/FileError.hpp"

#include <optional>
#include <string>

namespace tavrel::platform {

class LoginItemSwitch {
public:
    /// What a switch came to.
    struct Result {
        bool found = false;             // the system knows a login item with that identifier
        std::optional<FileError> error; // it is known but could not be switched
    };

    /// Asks the system to launch (or no longer launch) the helper with that bundle identifier at
    /// login. An unknown identifier, or one that is not a single path component, gives found
    /// false and changes nothing.
    static Result setEnabled(const std::string& bundleIdentifier, bool enabled);
};

} // namespace tavrel::platform
