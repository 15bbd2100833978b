// The user's keychain of generic passwords: the accounts of a service's items, one item found
// by service and account, and the deletion of exactly that item. Never asks the user anything.
#pragma once

#include "platform/KeychainFailure.hpp"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavrel::platform {

class KeychainStore {
public:
    /// An item a lookup found; deleting it deletes that item and no other.
    struct ItemReference {
        std::string identity;
        friend bool operator==(const ItemReference&, const ItemReference&) = default;
    };

    /// The keychain of the user who runs the program, reached only where the session announces
    /// it: nothing is created or started to reach it. No call blocks for more than a few
    /// seconds: a keychain that cannot be reached gives notAvailable, a locked one
    /// interactionNotAllowed.
    static KeychainStore& system();

    virtual ~KeychainStore() = default;

    /// The account of every generic-password item of `service`, in the order the keychain gives
    /// them, none for an item without one; itemNotFound when the service holds no item.
    virtual KeychainResult<std::vector<std::optional<std::string>>>
    accounts(const std::string& service) = 0;

    /// The first generic-password item of `service` whose account is `account`; itemNotFound
    /// when there is none.
    virtual KeychainResult<ItemReference> firstItem(const std::string& service,
                                                    const std::string& account) = 0;

    /// Deletes the item; fails with itemNotFound when it no longer exists, or the code of the
    /// failure.
    virtual KeychainResult<void> deleteItem(const ItemReference& item) = 0;

protected:
    KeychainStore() = default;
    KeychainStore(const KeychainStore&) = default;
    KeychainStore& operator=(const KeychainStore&) = default;
};

} // namespace tavrel::platform
