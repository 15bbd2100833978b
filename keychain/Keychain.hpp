// The generic-password items of one keychain service: their keys (account names), the lookup of
// one item by key and the deletion of exactly the item found.
#pragma once

#include "keychain/Options.hpp"
#include "keychain/Status.hpp"
#include "platform/KeychainStore.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tavrel::keychain {

class Keychain {
public:
    /// A keychain for `service` in `store` (the user's keychain unless a test gives another).
    /// Touches no keychain and cannot fail.
    explicit Keychain(std::string service,
                      platform::KeychainStore& store = platform::KeychainStore::system());

    [[nodiscard]] const std::string& service() const noexcept { return options_.service; }
    [[nodiscard]] const Options& options() const noexcept { return options_; }

    /// What a listing found: the keys, or the status that says why it failed.
    using Listing = platform::Result<std::vector<std::string>, Status>;

    /// Whether a failed listing writes its status line.
    enum class FailureLine { written, omitted };

    /// The keys of all items of the service in the keychain's order, duplicates kept, items
    /// without a key left out. A service without items is an empty list. A failed listing writes
    /// "OSStatus error:[<code>] <message>" to the status output (see StatusOutput.hpp; nothing
    /// for userCanceled, nothing when `line` is omitted) and gives the status. Never throws.
    [[nodiscard]] Listing listing(FailureLine line = FailureLine::written) const;
    /// The keys of listing(), none when it failed; a failure is seen only on the status output.
    [[nodiscard]] std::vector<std::string> itemKeys() const {
        Listing found = listing();
        return found.ok() ? std::move(found).value() : std::vector<std::string>{};
    }

    /// The first item of the service whose key is `key`; the keychain's result code when the
    /// lookup fails, itemNotFound when there is none.
    [[nodiscard]] platform::KeychainResult<platform::KeychainStore::ItemReference>
    firstItem(const std::string& key) const;
    /// Deletes exactly `item`; fails with the keychain's result code (itemNotFound when it is
    /// already gone).
    [[nodiscard]] platform::KeychainResult<void>
    deleteItem(const platform::KeychainStore::ItemReference& item) const;

private:
    Options options_;
    platform::KeychainStore* store_;
};

} // namespace tavrel::keychain
