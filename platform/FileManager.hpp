// Existence tests and deletion of files, links and whole folder trees.
#pragma once

#include "platform/Result.hpp"

#include <cstdint>
#include <string>

namespace tavrel::platform {

class FileManager {
public:
    /// What is at a path, following symbolic links.
    struct Item {
        bool exists = false;   // something is there; a dangling link counts as nothing
        bool isFolder = false; // it is a folder, or a link that leads to one
    };

    /// Tests the path, following symbolic links. A missing item or a dangling or looping link
    /// gives exists false; any other failure of the test (no access, say) is an error, since
    /// whether anything is there is then unknown.
    static Result<Item> itemAt(const std::string& path);

    /// Deletes the file, link or whole folder tree at `path`. A link is removed itself, never
    /// what it leads to, even when a folder inside the tree is swapped for a link meanwhile.
    /// Keeps going past entries it cannot delete and fails with the first error met (a missing
    /// `path` gives ENOENT). Refuses "/", "." and ".." as the last component.
    static Result<void> removeItem(const std::string& path);

    /// How much a file, link or folder tree holds.
    struct Size {
        std::uint64_t bytes = 0; // the sizes of everything in it but its folders
        std::uint64_t files = 0; // everything in it but its folders: files, links, ...
    };

    /// Measures what removeItem would delete at `path`, without following any link (a link is
    /// one file, of its own size) and without changing anything. Fails with the first error met
    /// (a missing `path` gives ENOENT), since the size is then unknown.
    static Result<Size> measure(const std::string& path);
};

} // namespace tavrel::platform
