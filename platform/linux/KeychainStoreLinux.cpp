// The keychain on Linux: the Secret Service (org.freedesktop.secrets) through libsecret. An item
// is a secret with the string attributes "service" and "account", whatever its schema. No call
// runs a prompt, and each is bounded by a deadline.
#include "platform/KeychainStore.hpp"
#include "platform/linux/CallDeadline.hpp"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <libsecret/secret.h>
#include <memory>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {

using linux_glib::CallDeadline;
namespace code = keychainCode;

// How long the Secret Service may take to answer one operation.
constexpr std::chrono::milliseconds kCallLimit{5000};
// How long one that let that pass is not asked again: long enough for the rest of one look or one
// run, which would only wait as long again; short enough that a window open for a while asks anew.
constexpr std::chrono::seconds kSilenceRemembered{30};

struct GErrorFree {
    void operator()(GError* error) const noexcept { g_error_free(error); }
};
using ErrorPointer = std::unique_ptr<GError, GErrorFree>;

struct ObjectUnref {
    void operator()(gpointer object) const noexcept { g_object_unref(object); }
};
template <class T>
using ObjectPointer = std::unique_ptr<T, ObjectUnref>;

struct ItemListFree {
    void operator()(GList* items) const noexcept { g_list_free_full(items, g_object_unref); }
};
using ItemList = std::unique_ptr<GList, ItemListFree>;

struct HashTableUnref {
    void operator()(GHashTable* table) const noexcept { g_hash_table_unref(table); }
};

struct VariantUnref {
    void operator()(GVariant* variant) const noexcept { g_variant_unref(variant); }
};
using VariantPointer = std::unique_ptr<GVariant, VariantUnref>;

// The D-Bus name of an error: the remote name when it came over the bus, else the name its
// domain is registered with.
std::string errorName(const GError& error) {
    const std::unique_ptr<gchar, decltype(&g_free)> name(g_dbus_error_encode_gerror(&error),
                                                         &g_free);
    return name ? name.get() : "";
}

// The keychain code of a failed call.
std::int32_t codeOf(const GError& error) {
    if (error.domain == G_IO_ERROR) { // no bus, a broken connection, or the deadline passed
        return code::notAvailable;
    }
    struct Mapping {
        std::string_view namePrefix;
        std::int32_t code;
    };
    static constexpr std::array<Mapping, 11> kMappings{{
        {"org.freedesktop.Secret.Error.IsLocked", code::interactionNotAllowed},
        {"org.freedesktop.DBus.Error.AccessDenied", code::authFailed},
        {"org.freedesktop.DBus.Error.AuthFailed", code::authFailed},
        {"org.freedesktop.DBus.Error.ServiceUnknown", code::notAvailable},
        {"org.freedesktop.DBus.Error.NameHasNoOwner", code::notAvailable},
        {"org.freedesktop.DBus.Error.NoReply", code::notAvailable},
        {"org.freedesktop.DBus.Error.Timeout", code::notAvailable},
        {"org.freedesktop.DBus.Error.TimedOut", code::notAvailable},
        {"org.freedesktop.DBus.Error.NoServer", code::notAvailable},
        {"org.freedesktop.DBus.Error.Disconnected", code::notAvailable},
        {"org.freedesktop.DBus.Error.Spawn.", code::notAvailable},
    }};
    const std::string name = errorName(error);
    for (const Mapping& mapping : kMappings) {
        if (name.starts_with(mapping.namePrefix)) {
            return mapping.code;
        }
    }
    return code::internalComponent;
}

// Whether GLib will find the session bus as it is announced: by its address in the environment,
// or as the bus of the runtime folder. Failing both, GLib would make the runtime folder itself
// (~/.cache, when XDG_RUNTIME_DIR is unset) and try to start a bus through X11: the first changes
// the home folder, which not even a dry run may do, and a bus started so holds no keyring of the
// user's. Such a session has no keychain we can reach.
bool sessionBusAnnounced() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address != nullptr && address[0] != '\0') {
        return true;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || runtime[0] == '\0') {
        return false;
    }
    // As GLib checks it before it connects.
    struct stat status {};
    const std::string bus = std::string(runtime) + "/bus";
    return stat(bus.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) &&
           status.st_uid == geteuid();
}

class SecretServiceStore final : public KeychainStore {
public:
    KeychainResult<std::vector<std::optional<std::string>>>
    accounts(const std::string& service) override {
        return guarded([&]() -> KeychainResult<std::vector<std::optional<std::string>>> {
            const CallDeadline deadline(kCallLimit);
            auto found = search(deadline, service, nullptr);
            if (!found.ok()) {
                return found.error();
            }
            std::vector<std::optional<std::string>> accounts;
            for (GList* link = found->get(); link != nullptr; link = link->next) {
                const std::unique_ptr<GHashTable, HashTableUnref> attributes(
                    secret_item_get_attributes(static_cast<SecretItem*>(link->data)));
                const auto* account =
                    attributes
                        ? static_cast<const char*>(g_hash_table_lookup(attributes.get(), "account"))
                        : nullptr;
                accounts.push_back(account ? std::optional<std::string>(account) : std::nullopt);
            }
            return accounts;
        });
    }

    KeychainResult<ItemReference> firstItem(const std::string& service,
                                            const std::string& account) override {
        return guarded([&]() -> KeychainResult<ItemReference> {
            const CallDeadline deadline(kCallLimit);
            auto found = search(deadline, service, account.c_str());
            if (!found.ok()) {
                return found.error();
            }
            auto* item = static_cast<SecretItem*>(found->get()->data);
            return ItemReference{g_dbus_proxy_get_object_path(G_DBUS_PROXY(item))};
        });
    }

    KeychainResult<void> deleteItem(const ItemReference& item) override {
        return guarded([&]() -> KeychainResult<void> {
            const CallDeadline deadline(kCallLimit);
            auto connected = connect(deadline);
            if (!connected.ok()) {
                return connected.error();
            }
            auto* proxy = G_DBUS_PROXY(connected->get());
            // Called directly rather than through secret_item_delete, which would show a prompt
            // the service asked for.
            const auto prompt = call(deadline, proxy, item.identity, "org.freedesktop.Secret.Item",
                                     "Delete", G_VARIANT_TYPE("(o)"), true);
            if (!prompt.ok()) {
                return prompt.error();
            }
            const char* promptPath = nullptr;
            g_variant_get(prompt->get(), "(&o)", &promptPath);
            if (std::string_view(promptPath) != "/") {
                (void)call(deadline, proxy, promptPath, "org.freedesktop.Secret.Prompt", "Dismiss",
                           nullptr, false);
                return KeychainFailure{code::interactionNotAllowed};
            }
            return {};
        });
    }

private:
    // Runs one operation; a thread that cannot be started or memory that runs out is an internal
    // failure, and a Secret Service that let a deadline pass is not asked again for a while.
    template <class Operation>
    auto guarded(const Operation& operation) -> decltype(operation()) {
        if (Clock::now().time_since_epoch().count() < silentUntil_.load()) {
            return KeychainFailure{code::notAvailable};
        }
        try {
            return operation();
        } catch (const std::exception&) {
            return KeychainFailure{code::internalComponent};
        }
    }

    // The connection to the Secret Service; no session is opened, since no secret is read.
    KeychainResult<ObjectPointer<SecretService>> connect(const CallDeadline& deadline) {
        if (!sessionBusAnnounced()) {
            return KeychainFailure{code::notAvailable};
        }
        GError* error = nullptr;
        ObjectPointer<SecretService> service(
            secret_service_get_sync(SECRET_SERVICE_NONE, deadline.cancellable(), &error));
        return service ? KeychainResult(std::move(service)) : failure(deadline, error);
    }

    // The generic-password items of `service` (and `account`, when given), whatever their
    // schema; itemNotFound when there are none, interactionNotAllowed when one is locked.
    KeychainResult<ItemList> search(const CallDeadline& deadline, const std::string& service,
                                    const char* account) {
        auto connected = connect(deadline);
        if (!connected.ok()) {
            return connected.error();
        }
        const std::unique_ptr<GHashTable, HashTableUnref> attributes(
            g_hash_table_new(g_str_hash, g_str_equal));
        g_hash_table_insert(attributes.get(), const_cast<char*>("service"),
                            const_cast<char*>(service.c_str()));
        if (account != nullptr) {
            g_hash_table_insert(attributes.get(), const_cast<char*>("account"),
                                const_cast<char*>(account));
        }
        GError* error = nullptr;
        // SECRET_SEARCH_ALL without SECRET_SEARCH_UNLOCK: locked items are returned, not
        // unlocked, so that the user is never asked for a password.
        ItemList items(secret_service_search_sync(connected->get(), nullptr, attributes.get(),
                                                  SECRET_SEARCH_ALL, deadline.cancellable(),
                                                  &error));
        if (error != nullptr) {
            return failure(deadline, error);
        }
        if (!items) {
            return KeychainFailure{code::itemNotFound};
        }
        for (GList* link = items.get(); link != nullptr; link = link->next) {
            if (secret_item_get_locked(static_cast<SecretItem*>(link->data))) {
                return KeychainFailure{code::interactionNotAllowed};
            }
        }
        return items;
    }

    // Calls `method` on the object at `path` of the Secret Service, never starting it; with
    // `itemCall`, an object that no longer exists gives itemNotFound.
    KeychainResult<VariantPointer> call(const CallDeadline& deadline, GDBusProxy* service,
                                        const std::string& path, const char* interface,
                                        const char* method, const GVariantType* replyType,
                                        bool itemCall) {
        GError* error = nullptr;
        VariantPointer reply(g_dbus_connection_call_sync(
            g_dbus_proxy_get_connection(service), g_dbus_proxy_get_name(service), path.c_str(),
            interface, method, nullptr, replyType, G_DBUS_CALL_FLAGS_NO_AUTO_START, -1,
            deadline.cancellable(), &error));
        return reply ? KeychainResult(std::move(reply)) : failure(deadline, error, itemCall);
    }

    // The failure of a call that set `error`; takes the error.
    KeychainFailure failure(const CallDeadline& deadline, GError* error, bool itemCall = false) {
        const ErrorPointer owned(error);
        if (deadline.expired()) {
            silentUntil_.store((Clock::now() + kSilenceRemembered).time_since_epoch().count());
            return KeychainFailure{code::notAvailable};
        }
        if (owned == nullptr) {
            return KeychainFailure{code::internalComponent};
        }
        if (itemCall) {
            const std::string name = errorName(*owned);
            // gnome-keyring answers UnknownMethod for a path that holds no object.
            for (const char* gone : {"org.freedesktop.Secret.Error.NoSuchObject",
                                     "org.freedesktop.DBus.Error.UnknownObject",
                                     "org.freedesktop.DBus.Error.UnknownMethod"}) {
                if (name == gone) {
                    return KeychainFailure{code::itemNotFound};
                }
            }
        }
        return KeychainFailure{codeOf(*owned)};
    }

    using Clock = std::chrono::steady_clock;
    // Until when the Secret Service, which let a deadline pass, is taken as not answering.
    std::atomic<Clock::rep> silentUntil_{0};
};

} // namespace

KeychainStore& KeychainStore::system() {
    static SecretServiceStore store;
    return store;
}

} // namespace tavrel::platform

#if defined(__SANITIZE_THREAD__)
// GLib is not built with the thread sanitizer, which therefore cannot see how GLib's own threads
// hand memory to each other, and takes every allocation they pass on for a race. What these
// libraries do in our name is left unchecked; our own code stays checked.
extern "C" const char* __tsan_default_suppressions() { // NOLINT(bugprone-reserved-identifier)
    return "called_from_lib:libglib-2.0.so.0\n"
           "called_from_lib:libgobject-2.0.so.0\n"
           "called_from_lib:libgio-2.0.so.0\n"
           "called_from_lib:libsecret-1.so.0\n";
}
#endif
