// What the keychain job did to one service when it did not fail.
#pragma once

#include "keychain/Status.hpp"

#include <optional>
#include <string>

namespace tavrel::jobs {

struct ServiceRemoval {
    std::string service;
    int removed = 0; // items deleted
    /// Why the service's items could not be listed; none of them was then removed.
    std::optional<keychain::Status> listingFailure;
};

} // namespace tavrel::jobs
