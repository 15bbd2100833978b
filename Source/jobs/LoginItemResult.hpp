// What removing one login item came to, when the login items could be listed.
#pragma once

#include "Source/errors/Error.hpp"

#include <memory>

namespace tavrel::jobs {

struct LoginItemResult {
    enum class Outcome {
        removed,        // a login item of that name was deleted
        notFound,       // no login item has that name (any more)
        deletionFailed, // one has that name, but deleting it failed; see `error`
    };
    Outcome outcome = Outcome::notFound;
    std::shared_ptr<const Error> error; // why the deletion failed; only for deletionFailed
};

} // namespace tavrel::jobs
