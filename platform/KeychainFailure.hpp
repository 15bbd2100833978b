// Why a keychain operation failed: the keychain's result code.
#pragma once

#include "platform/Result.hpp"

#include <cstdint>

namespace tavrel::platform {

/// The keychain result codes the platform gives (the Security framework's OSStatus values).
namespace keychain_code {
inline constexpr std::int32_t kSuccess = 0;
inline constexpr std::int32_t kUserCanceled = -128;
inline constexpr std::int32_t kInternalComponent = -2070;
inline constexpr std::int32_t kNotAvailable = -25291;
inline constexpr std::int32_t kAuthFailed = -25293;
inline constexpr std::int32_t kItemNotFound = -25300;
inline constexpr std::int32_t kInteractionNotAllowed = -25308;
} // namespace keychain_code

/// A failed keychain operation's result code; never success.
struct KeychainFailure {
    std::int32_t code;
};

/// The result of a keychain operation: a value, or the failure's code.
template <class T>
using KeychainResult = Result<T, KeychainFailure>;

} // namespace tavrel::platform
