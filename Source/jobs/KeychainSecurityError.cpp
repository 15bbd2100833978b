// Description and alert of a failed keychain lookup or deletion.
#include "Source/jobs/KeychainSecurityError.hpp"

namespace tavrel::jobs {

KeychainSecurityError::KeychainSecurityError(std::string service, keychain::Status status)
    : Error("KeychainSecurityError(service: " + quoted(service) +
            ", status: " + std::string(status.name()) + ")"),
      service_(std::move(service)), status_(status) {}

Alert KeychainSecurityError::alert() const {
    return Alert{std::string(status_.description()),
                 std::nullopt,
                 {kOKButton},
                 AlertStyle::warning,
                 std::nullopt};
}

} // namespace tavrel::jobs
