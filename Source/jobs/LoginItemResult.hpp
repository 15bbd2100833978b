// What removing one login item came to, when the login items could be listed. The one place a
// job hands an error back instead of throwing it: a failed deletion is logged and the operation
// returns normally, as the run's other login item must still be tried, yet the run still needs
// that error's description and alert for its report. So it travels as the value it was.
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
