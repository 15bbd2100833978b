// Keychain item removal, with its log lines. No line names a key or a key suffix.
#include "Source/jobs/KeychainJob.hpp"

#include "Source/jobs/KeychainSecurityError.hpp"
#include "logging/Log.hpp"

namespace tavrel::jobs {

namespace {

using keychain::Keychain;
using keychain::Status;
using logging::logError;
using logging::logInfo;
namespace code = platform::keychainCode;

// Lists the service and deletes the keys the rule takes, in listing order.
ServiceRemoval removeListed(const Keychain& keychain, KeychainJob::KeychainTarget::Rule rule,
                            std::string_view argument = {}) {
    const KeychainJob::KeychainTarget target{keychain.service(), rule, argument};
    ServiceRemoval removal{keychain.service(), 0, std::nullopt};
    const Keychain::Listing listing = keychain.listing();
    if (!listing.ok()) {
        removal.listingFailure = listing.error();
        return removal;
    }
    for (const std::string& key : *listing) {
        if (KeychainJob::takes(target, key) && KeychainJob::forceRemove(keychain, key)) {
            ++removal.removed;
        }
    }
    return removal;
}

[[noreturn]] void fail(const Keychain& keychain, const char* call, std::int32_t failure) {
    const Status status = Status::fromCode(failure);
    logError("forceRemove(_:)", [&] { return std::string(call) + ". " + status.osStatusError(); });
    throw KeychainSecurityError(keychain.service(), status);
}

} // namespace

bool KeychainJob::takes(const KeychainTarget& target, std::string_view key) noexcept {
    switch (target.rule) {
    case KeychainTarget::Rule::allItems:
        return true;
    case KeychainTarget::Rule::keySuffix:
        return key.ends_with(target.argument);
    case KeychainTarget::Rule::oneKey:
        return key == target.argument;
    }
    return false;
}

void KeychainJob::removeAll(std::span<const KeychainTarget> targets, const ServiceDone& done,
                            platform::KeychainStore& store) {
    logInfo("removeAll()", "----- Delete Keychain Item -----");
    try {
        for (const KeychainTarget& target : targets) {
            const std::string service(target.service);
            const std::string argument(target.argument);
            ServiceRemoval removal;
            switch (target.rule) {
            case KeychainTarget::Rule::allItems:
                removal = removeAllItems(service, store);
                break;
            case KeychainTarget::Rule::keySuffix:
                removal = removeAllItems(service, argument, store);
                break;
            case KeychainTarget::Rule::oneKey:
                removal = removeItem(service, argument, store);
                break;
            }
            if (done) {
                done(removal);
            }
        }
    } catch (const KeychainSecurityError& error) {
        logError("removeAll()", [&] {
            return "[KeychainUtility] failed to delete keychain items of " + error.service() +
                   ". " + std::string(error.status().description());
        });
        throw;
    }
}

ServiceRemoval KeychainJob::removeAllItems(const std::string& service,
                                           platform::KeychainStore& store) {
    logInfo("removeAllItems(service:)", [&] { return "service: " + service; });
    return removeListed(Keychain(service, store), KeychainTarget::Rule::allItems);
}

ServiceRemoval KeychainJob::removeAllItems(const std::string& service, const std::string& keySuffix,
                                           platform::KeychainStore& store) {
    logInfo("removeAllItems(service:keySuffix:)", [&] { return "service: " + service; });
    return removeListed(Keychain(service, store), KeychainTarget::Rule::keySuffix, keySuffix);
}

ServiceRemoval KeychainJob::removeItem(const std::string& service, const std::string& key,
                                       platform::KeychainStore& store) {
    logInfo("removeItem(service:key:)", [&] { return "service: " + service; });
    const Keychain keychain(service, store);
    return ServiceRemoval{service, forceRemove(keychain, key) ? 1 : 0, std::nullopt};
}

bool KeychainJob::forceRemove(const Keychain& keychain, const std::string& key) {
    const auto item = keychain.firstItem(key);
    if (!item.ok() && item.error().code == code::itemNotFound) {
        logInfo("forceRemove(_:)", "item not found");
        return false;
    }
    if (!item.ok()) {
        fail(keychain, "SecItemCopyMatching", item.error().code);
    }
    // An item gone between the lookup and the deletion is as good as deleted.
    const auto deleted = keychain.deleteItem(*item);
    if (!deleted.ok() && deleted.error().code != code::itemNotFound) {
        fail(keychain, "SecKeychainItemDelete", deleted.error().code);
    }
    logInfo("forceRemove(_:)", [&] { return "removed items: " + keychain.service(); });
    return true;
}

} // namespace tavrel::jobs
