// Existence tests and deletion of files, links and whole folder trees.
#pragma once

#include "platform/FileError.hpp"

#include <optional>
#include <string>

namespace tavrel::platform {

class FileManager {
public:
    /// What is at a path, following symbolic links.
    struct Item {
        bool exists = false;   // something is there; a dangling link counts as nothing
        bool isFolder = false; // it is a folder, or a link that leads to one
        std::optional<FileError>
            error; // the test itself failed (e.g. no access); then exists is false
    };

    /// Tests the path, following symbolic links. A missing item or a dangling or looping link
    /// gives exists false without error; any other failure of the test is returned in `error`.
    static Item itemAt(const std::string& path);

    /// Deletes the file, link or whole folder tree at `path`. A link is removed itself, never
    /// what it leads to, even when a folder inside the tree is swapped for a link meanwhile.
    /// Keeps going past entries it cannot delete. Returns none on success, else the first error
    /// met (a missing `path` gives ENOENT). Refuses "/", "." and ".." as the last component.
    static std::optional<FileError> removeItem(const std::string& path);
};

} // namespace tavrel::platform
