// The user's Trash folders, and removing an item from one together with its bookkeeping.
#pragma once

#include "platform/FileError.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tavrel::platform {

class TrashFolders {
public:
    /// The current user's Trash folders that exist, possibly none.
    static std::vector<std::string> userTrashFolders();

    /// The path of the item `name` in the Trash folder `trashFolder`.
    static std::string itemPath(const std::string& trashFolder, const std::string& name);

    /// What removing an item from a Trash folder came to.
    struct Removal {
        bool removed = false;           // the item was there and is gone
        std::optional<FileError> error; // the item or its record could not be deleted
    };

    /// Deletes the item `name` (file, link or whole tree, never following a link) from the Trash
    /// folder and then whatever the Trash keeps about it. A missing item is no error. `name` must
    /// be a single path component.
    static Removal removeItem(const std::string& trashFolder, const std::string& name);
};

} // namespace tavrel::platform
