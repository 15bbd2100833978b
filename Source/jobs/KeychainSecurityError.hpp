// The error thrown when a keychain lookup or deletion fails.
#pragma once

#include "Source/errors/Error.hpp"
#include "keychain/Status.hpp"

#include <string>

namespace tavrel::jobs {

class KeychainSecurityError final : public Error {
public:
    /// The service whose lookup or deletion failed, and the status of the failing call
    /// (unexpectedError for a code the table does not hold).
    KeychainSecurityError(std::string service, keychain::Status status);

    [[nodiscard]] const std::string& service() const noexcept { return service_; }
    [[nodiscard]] keychain::Status status() const noexcept { return status_; }

    /// Message: the status's message (empty for internalComponent), no informative text, the
    /// service not shown; one "OK" button; warning style.
    [[nodiscard]] Alert alert() const override;

private:
    std::string service_;
    keychain::Status status_;
};

} // namespace tavrel::jobs
