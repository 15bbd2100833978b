// The result of a keychain operation: a value, or the keychain's result code that says why not.
#pragma once

#include <cstdint>
#include <utility>
#include <variant>

namespace tavrel::platform {

/// The keychain result codes the platform gives (the Security framework's OSStatus values).
namespace keychainCode {
inline constexpr std::int32_t success = 0;
inline constexpr std::int32_t userCanceled = -128;
inline constexpr std::int32_t internalComponent = -2070;
inline constexpr std::int32_t notAvailable = -25291;
inline constexpr std::int32_t authFailed = -25293;
inline constexpr std::int32_t itemNotFound = -25300;
inline constexpr std::int32_t interactionNotAllowed = -25308;
} // namespace keychainCode

/// A failed keychain operation's result code; never success.
struct KeychainFailure {
    std::int32_t code;
};

template <class T>
class [[nodiscard]] KeychainResult {
public:
    KeychainResult(T value) : state_(std::in_place_index<0>, std::move(value)) {}        // NOLINT
    KeychainResult(KeychainFailure failure) : state_(std::in_place_index<1>, failure) {} // NOLINT

    [[nodiscard]] bool ok() const noexcept { return state_.index() == 0; }
    /// success, or the failure's code.
    [[nodiscard]] std::int32_t code() const noexcept {
        return ok() ? keychainCode::success : std::get<1>(state_).code;
    }

    /// The value; only when ok().
    [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
    [[nodiscard]] const T& operator*() const& { return value(); }
    [[nodiscard]] const T* operator->() const { return &value(); }

private:
    std::variant<T, KeychainFailure> state_;
};

} // namespace tavrel::platform
