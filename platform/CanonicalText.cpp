// Canonical equivalence through utf8proc's NFC.
#include "platform/CanonicalText.hpp"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utf8proc.h>

namespace tavrel::platform {

namespace {

std::optional<std::string> composed(std::string_view text) {
    utf8proc_uint8_t* result = nullptr;
    const utf8proc_ssize_t length =
        utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                     static_cast<utf8proc_ssize_t>(text.size()), &result,
                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owner(result, &std::free);
    if (length < 0) {
        return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(result), static_cast<std::size_t>(length));
}

} // namespace

bool canonicallyEqual(std::string_view lhs, std::string_view rhs) {
    if (lhs == rhs) {
        return true;
    }
    const auto ascii = [](std::string_view text) {
        return std::all_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    };
    if (ascii(lhs) && ascii(rhs)) {
        return false; // ASCII texts are composed already
    }
    const auto left = composed(lhs);
    const auto right = composed(rhs);
    return left && right && *left == *right;
}

} // namespace tavrel::platform
