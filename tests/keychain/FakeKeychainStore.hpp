// A keychain in memory that answers any code it is told to: for the codes no real Secret
// Service gives.
#pragma once

#include "platform/KeychainStore.hpp"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace tavrel::testing {

class FakeKeychainStore final : public platform::KeychainStore {
public:
    std::map<std::string, std::vector<std::string>> keys; // service → keys, in listing order
    // What each kind of call answers instead of working; 0: it works. A deletion deletes nothing.
    std::int32_t listingCode = 0;
    std::int32_t lookupCode = 0;
    std::int32_t deletionCode = 0;

    platform::KeychainResult<std::vector<std::optional<std::string>>>
    accounts(const std::string& service) override {
        const auto& held = keys[service];
        if (listingCode != 0 || held.empty()) {
            return platform::KeychainFailure{listingCode != 0 ? listingCode : kNotFound};
        }
        return std::vector<std::optional<std::string>>(held.begin(), held.end());
    }

    platform::KeychainResult<ItemReference> firstItem(const std::string& service,
                                                      const std::string& key) override {
        const auto& held = keys[service];
        if (lookupCode != 0 || std::find(held.begin(), held.end(), key) == held.end()) {
            return platform::KeychainFailure{lookupCode != 0 ? lookupCode : kNotFound};
        }
        return ItemReference{service + "/" + key};
    }

    platform::KeychainResult<void> deleteItem(const ItemReference& /*item*/) override {
        if (deletionCode != 0) {
            return platform::KeychainFailure{deletionCode};
        }
        return {};
    }

private:
    static constexpr std::int32_t kNotFound = platform::keychainCode::itemNotFound;
};

} // namespace tavrel::testing
