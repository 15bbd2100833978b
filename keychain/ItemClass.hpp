// The kinds of keychain item a query can ask for.
#pragma once

#include <string_view>

namespace tavrel::keychain {

enum class ItemClass { genericPassword, internetPassword };

/// The keychain's own name for the class ("genp", "inet").
constexpr std::string_view rawValue(ItemClass itemClass) noexcept {
    return itemClass == ItemClass::genericPassword ? "genp" : "inet";
}

} // namespace tavrel::keychain
