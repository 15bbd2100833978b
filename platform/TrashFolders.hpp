// The user's Trash folders, and removing an item from one together with its bookkeeping.
#pragma once

#include "platform/FileError.hpp"
#include "platform/Result.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tavrel::platform {

class TrashFolders {
public:
    /// The Trash folders that exist for the user whose home folder is `home`, possibly none.
    static std::vector<std::string> userTrashFolders(const std::string& home);

    /// The path of the item `name` in the Trash folder `trashFolder`.
    static std::string itemPath(const std::string& trashFolder, const std::string& name);

    /// What removing an item from a Trash folder came to, when the item itself did not resist.
    struct Removal {
        bool removed = false; // the item was there and is gone
        /// The item went, but what the Trash keeps about it could not be deleted.
        std::optional<FileError> recordError;
    };

    /// Deletes the item `name` (file, link or whole tree, never following a link) from the Trash
    /// folder and, once it is gone, whatever the Trash keeps about it. A missing item is no error
    /// and leaves everything else as it is. Fails when the item cannot be deleted, or when
    /// `name` is not a single path component.
    static Result<Removal> removeItem(const std::string& trashFolder, const std::string& name);
};

} // namespace tavrel::platform
