// Property lists through libplist.
#include "platform/PropertyList.hpp"
#include "platform/UntrustedFile.hpp"

#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
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

// The plain text form of a string, integer or real entry: a version number may be stored as
// any of them. None for other kinds of entries.
std::optional<std::string> plainText(plist_t value) {
    switch (value != nullptr ? plist_get_node_type(value) : PLIST_NONE) {
    case PLIST_STRING: {
        char* raw = nullptr;
        plist_get_string_val(value, &raw);
        const std::unique_ptr<char, CharDeleter> text(raw);
        return std::string(text ? text.get() : "");
    }
    case PLIST_UINT: {
        uint64_t number = 0;
        plist_get_uint_val(value, &number);
        // This libplist keeps negative integers as their two's complement.
        return number > static_cast<uint64_t>(INT64_MAX)
                   ? std::to_string(static_cast<int64_t>(number))
                   : std::to_string(number);
    }
    case PLIST_REAL: {
        double number = 0;
        plist_get_real_val(value, &number);
        std::array<char, 32> digits{};
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
        return std::string(digits.data(), end);
    }
    default:
        return std::nullopt;
    }
}

} // namespace

std::optional<PropertyList> PropertyList::load(const std::string& path) {
    const auto data = UntrustedFile::read(path, UntrustedFile::Kind::propertyList);
    return data.ok() ? parse(*data) : std::nullopt;
}

std::optional<PropertyList> PropertyList::parse(std::string_view data) {
    if (data.empty() || data.size() > UINT32_MAX) {
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
        if (auto text = plainText(value)) {
            list.strings_.emplace(key.get(), std::move(*text));
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
