// Deletes the product's application bundles and its per-user data folders and files.
#pragma once

#include "Source/jobs/RemoveResult.hpp"

#include <string>

namespace tavrel::jobs {

class AppBundleJob {
public:
    /// The core deletion: logs and returns missing when nothing is at `path`, notFolder (leaving
    /// it in place) when `folder` is true and it is no folder; otherwise deletes it, whatever it
    /// is, and logs "done". Throws RemoveAppBundleError, after an error line, when the deletion
    /// or the test before it fails.
    static RemoveResult remove(const std::string& path, bool folder);

    /// Banner, then removes the application bundle at the absolute `path` (a folder).
    static RemoveResult removeApp(const std::string& path);
    /// Banner and name, then removes <home>/Library/Application Support/<bundleID> (a folder).
    static RemoveResult removeApplicationSupport(const std::string& home,
                                                 const std::string& bundleID);
    /// Banner and name, then removes <home>/Library/Preferences/<bundleID>.plist (anything).
    static RemoveResult removePreferences(const std::string& home, const std::string& bundleID);
    /// Banner and name, then removes <home>/Library/Containers/<bundleID> (a folder).
    static RemoveResult removeContainers(const std::string& home, const std::string& bundleID);
    /// Banner and name, then removes <home>/Library/Group Containers/<groupID> (a folder).
    static RemoveResult removeGroupContainers(const std::string& home, const std::string& groupID);

    /// The paths the data operations delete: the home folder directly followed by the Library
    /// subpath and the identifier; nothing is added, removed or normalised.
    static std::string applicationSupportPath(const std::string& home, const std::string& bundleID);
    static std::string preferencesPath(const std::string& home, const std::string& bundleID);
    static std::string containersPath(const std::string& home, const std::string& bundleID);
    static std::string groupContainersPath(const std::string& home, const std::string& groupID);
};

} // namespace tavrel::jobs
