// Deletes the product's keychain items: the generic passwords of its services, by the rule of
// each, with a log line at every step.
#pragma once

#include "Source/jobs/ServiceRemoval.hpp"
#include "Source/product/KeychainTarget.hpp"
#include "keychain/Keychain.hpp"
#include "platform/KeychainStore.hpp"

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace tavrel::jobs {

class KeychainJob {
public:
    using KeychainTarget = product::KeychainTarget;

    /// Whether the target's rule takes the item whose key is `key`: the one rule the removal
    /// and the inventory both follow.
    static bool takes(const KeychainTarget& target, std::string_view key) noexcept;

    /// Told about each target the job finished, in order.
    using ServiceDone = std::function<void(const ServiceRemoval&)>;

    /// Banner, then every target in order by its rule, each finished one reported to `done`.
    /// The first failure ends the job: the targets after it are not touched, a
    /// KeychainSecurityError gets one more error line naming its service, and the error is
    /// thrown on unchanged. A service that cannot be listed is no failure here (see
    /// ServiceRemoval::listingFailure).
    static void removeAll(std::span<const KeychainTarget> targets, const ServiceDone& done = {},
                          platform::KeychainStore& store = platform::KeychainStore::system());

    /// Deletes every item of `service`, in listing order; throws as forceRemove does.
    static ServiceRemoval
    removeAllItems(const std::string& service,
                   platform::KeychainStore& store = platform::KeychainStore::system());
    /// Deletes the items of `service` whose key ends with `keySuffix` (letter case counts).
    static ServiceRemoval
    removeAllItems(const std::string& service, const std::string& keySuffix,
                   platform::KeychainStore& store = platform::KeychainStore::system());
    /// Deletes the item of `service` whose key is `key`; looks it up even when the service is
    /// empty.
    static ServiceRemoval
    removeItem(const std::string& service, const std::string& key,
               platform::KeychainStore& store = platform::KeychainStore::system());

    /// Deletes the first item of the keychain's service whose key is `key`: true when one was
    /// there, false (after "item not found") when none was. Throws KeychainSecurityError, after
    /// an error line, when the lookup or the deletion fails.
    static bool forceRemove(const keychain::Keychain& keychain, const std::string& key);
};

} // namespace tavrel::jobs
