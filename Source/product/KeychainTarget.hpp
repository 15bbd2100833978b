// One keychain service the keychain job empties, with the rule that says which items go.
#pragma once

#include <string_view>

namespace tavrel::product {

struct KeychainTarget {
    enum class Rule {
        allItems,  // every item of the service
        keySuffix, // the items whose key ends with `argument` (letter case counts)
        oneKey,    // the item whose key is `argument`, looked up without a listing
    };

    std::string_view service;
    Rule rule = Rule::allItems;
    std::string_view argument; // the key suffix or the key; unused for allItems
};

} // namespace tavrel::product
