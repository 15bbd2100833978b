// Where the run looks for the product: the folders that differ from user to user and machine
// to machine, found once and handed to the run as one value.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavrel {

struct Roots {
    std::string home;                      // the user's home folder; never the root folder
    std::string applications;              // where the application bundles are installed
    std::vector<std::string> trashFolders; // the user's Trash folders that exist, possibly none
    std::string loginItems;                // where the user's login item entries live

    /// The current user's roots, from the platform; none when the user has no usable home
    /// folder (see platform::homeFolder), in which case nothing may be removed.
    static std::optional<Roots> current();

    /// The roots of the locations every account shares, and of nothing else: no home folder,
    /// Trash or login items, so only the shared steps may be run in them.
    static Roots shared();
};

} // namespace tavrel
