// The parameters of every query a Keychain makes, fixed when the keychain is created.
#pragma once

#include "keychain/ItemClass.hpp"

#include <optional>
#include <string>

namespace tavrel::keychain {

struct Options {
    ItemClass itemClass = ItemClass::genericPassword;
    std::string service;
    // Never set for the keychains this program creates; the Secret Service has no such notions.
    std::optional<std::string> accessGroup;
    std::optional<std::string> authenticationPrompt;
    std::optional<std::string> authenticationContext;
};

} // namespace tavrel::keychain
