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
        const Status status = Status::fromCode(accounts.code());
        if (status == Status::itemNotFound) {
            return {};
        }
        // The listing never fails its caller; this line is the one trace of the failure.
        if (status != Status::userCanceled && line == FailureLine::written) {
            statusOutput() << status.osStatusError() << '\n' << std::flush;
        }
        return {{}, status};
    }
    Listing listing;
    for (auto& account : std::move(accounts).value()) {
        if (account) {
            listing.keys.push_back(std::move(*account));
        }
    }
    return listing;
}

platform::KeychainResult<platform::KeychainStore::ItemReference>
Keychain::firstItem(const std::string& key) const {
    return store_->firstItem(options_.service, key);
}

std::int32_t Keychain::deleteItem(const platform::KeychainStore::ItemReference& item) const {
    return store_->deleteItem(item);
}

} // namespace tavrel::keychain
