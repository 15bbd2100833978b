// Listing a service's keys, and the lookup and deletion a job builds on.
#include "keychain/Keychain.hpp"

#include "keychain/StatusOutput.hpp"

#include <ostream>

namespace tavrel::keychain {

Keychain::Keychain(std::string service, platform::KeychainStore& store) : store_(&store) {
    options_.service = std::move(service);
}

Keychain::Listing Keychain::listing(FailureLine line) const {
    auto accounts = store_->accounts(options_.service);
    if (!accounts.ok()) {
        const Status status = Status::fromCode(accounts.error().code);
        if (status == Status::itemNotFound) {
            return std::vector<std::string>{};
        }
        // The listing never fails its caller; this line is the one trace of the failure.
        if (status != Status::userCanceled && line == FailureLine::written) {
            statusOutput() << status.osStatusError() << '\n' << std::flush;
        }
        return status;
    }
    std::vector<std::string> keys;
    for (auto& account : std::move(accounts).value()) {
        if (account) {
            keys.push_back(std::move(*account));
        }
    }
    return keys;
}

platform::KeychainResult<platform::KeychainStore::ItemReference>
Keychain::firstItem(const std::string& key) const {
    return store_->firstItem(options_.service, key);
}

platform::KeychainResult<void>
Keychain::deleteItem(const platform::KeychainStore::ItemReference& item) const {
    return store_->deleteItem(item);
}

} // namespace tavrel::keychain
