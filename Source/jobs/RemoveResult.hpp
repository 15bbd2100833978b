// What one deletion of a bundle or data folder came to, when it did not fail.
#pragma once

namespace tavrel::jobs {

enum class RemoveResult {
    removed,   // it was there and is gone
    missing,   // nothing was there (a dangling link counts as nothing)
    notFolder, // a folder was expected and something else is there; it was left in place
};

} // namespace tavrel::jobs
