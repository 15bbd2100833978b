// Property lists through libplist.
#include "platform/PropertyList.hpp"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <plist/plist.h>

namespace tavrel::platform {

namespace {

struct PlistDeleter {
    void operator()(plist_t node) const noexcept { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

struct CharDeleter {
    void operator()(char* text) const noexcept { std::free(text); } // NOLINT: libplist uses malloc
};

} // namespace

std::optional<PropertyList> PropertyList::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (data.empty()) {
        return std::nullopt;
    }
    plist_t raw = nullptr;
    plist_from_memory(data.data(), static_cast<uint32_t>(data.size()), &raw);
    const PlistPtr root(raw);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT) {
        return std::nullopt;
    }
    PropertyList list;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(root.get(), &iterator);
    for (;;) {
        char* rawKey = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root.get(), iterator, &rawKey, &value);
        if (rawKey == nullptr) {
            break;
        }
        const std::unique_ptr<char, CharDeleter> key(rawKey);
        if (value != nullptr && plist_get_node_type(value) == PLIST_STRING) {
            char* rawText = nullptr;
            plist_get_string_val(value, &rawText);
            const std::unique_ptr<char, CharDeleter> text(rawText);
            list.strings_.emplace(key.get(), text ? text.get() : "");
        }
    }
    std::free(iterator); // NOLINT: libplist hands out the iterator with malloc
    return list;
}

std::optional<std::string> PropertyList::string(const std::string& key) const {
    const auto found = strings_.find(key);
    if (found == strings_.end()) {
        return std::nullopt;
    }
    return found->second;
}

} // namespace tavrel::platform
