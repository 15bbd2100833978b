// A keychain in memory that can be told to fail with any code: for the codes no real Secret
// Service gives. Records which services and keys were asked for.
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
    // A code each kind of call answers instead of doing its work; 0 works normally.
    std::int32_t listingCode = 0;
    std::int32_t lookupCode = 0;
    std::int32_t deletionCode = 0;
    std::vector<std::string> calls; // "list S", "find S/k", "delete S/k"

    platform::KeychainResult<std::vector<std::optional<std::string>>>
    accounts(const std::string& service) override {
        calls.push_back("list " + service);
        if (listingCode != 0 || keys[service].empty()) {
            return platform::KeychainFailure{listingCode != 0 ? listingCode : kNotFound};
        }
        return std::vector<std::optional<std::string>>(keys[service].begin(), keys[service].end());
    }

    platform::KeychainResult<ItemReference> firstItem(const std::string& service,
                                                      const std::string& key) override {
        calls.push_back("find " + service + "/" + key);
        const auto& held = keys[service];
        if (lookupCode != 0 || std::find(held.begin(), held.end(), key) == held.end()) {
            return platform::KeychainFailure{lookupCode != 0 ? lookupCode : kNotFound};
        }
        return ItemReference{service + "/" + key};
    }

    std::int32_t deleteItem(const ItemReference& item) override {
        calls.push_back("delete " + item.identity);
        if (deletionCode != 0) {
            return deletionCode;
        }
        const auto slash = item.identity.find('/');
        auto& held = keys[item.identity.substr(0, slash)];
        const auto key = std::find(held.begin(), held.end(), item.identity.substr(slash + 1));
        if (key == held.end()) {
            return kNotFound;
        }
        held.erase(key);
        return 0;
    }

private:
    static constexpr std::int32_t kNotFound = platform::keychainCode::itemNotFound;
};

} // namespace tavrel::testing
