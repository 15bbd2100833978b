// Switching a helper application's launch at login on or off by its bundle identifier.
#pragma once

#include "platform/Result.hpp"

#include <string>

namespace tavrel::platform {

class LoginItemSwitch {
public:
    /// Where the login item entries live for the user whose home folder is `home`.
    static std::string loginItemsFolder(const std::string& home);

    enum class Outcome {
        notFound,       // the system knows no login item with that identifier
        switched,       // it was switched as asked
        alreadySwitched // it was already in the state asked for; nothing was changed
    };

    /// Asks the system to launch (or no longer launch) the helper with that bundle identifier
    /// at login, among the entries of `loginItemsFolder`. An identifier that is not a single
    /// path component gives notFound and changes nothing. Fails when the entry exists but
    /// cannot be read or changed.
    static Result<Outcome> setEnabled(const std::string& loginItemsFolder,
                                      const std::string& bundleIdentifier, bool enabled);

    enum class State {
        notFound, // the system knows no login item with that identifier
        enabled,  // the helper is launched at login
        disabled  // it is known, but switched off
    };

    /// Whether the helper with that bundle identifier is launched at login, among the entries
    /// of `loginItemsFolder`, as setEnabled sees it; changes nothing. Fails when the entry
    /// exists but cannot be read.
    static Result<State> state(const std::string& loginItemsFolder,
                               const std::string& bundleIdentifier);
};

} // namespace tavrel::platform
