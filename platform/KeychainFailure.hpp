// Why a keychain operation failed: the keychain's result code.
#pragma once

#include "platform/Result.hpp"

#include <cstdint>

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

/// The result of a keychain operation: a value, or the failure's code.
template <class T>
using KeychainResult = Result<T, KeychainFailure>;

} // namespace tavrel::platform
