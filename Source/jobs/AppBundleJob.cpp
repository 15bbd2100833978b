// Bundle and data folder removal, with its log lines.
#include "Source/jobs/AppBundleJob.hpp"

#include "Source/jobs/RemoveAppBundleError.hpp"
#include "logging/Log.hpp"
#include "platform/FileManager.hpp"

namespace tavrel::jobs {

namespace {

using logging::logError;
using logging::logInfo;
using platform::FileManager;

constexpr const char* kRemove = "remove(at:folder:)";

std::string quotedPath(const std::string& path, const char* remark) {
    std::string line;
    line.reserve(path.size() + 24);
    line += '"';
    line += path;
    line += "\" ";
    line += remark;
    return line;
}

} // namespace

RemoveResult AppBundleJob::remove(const std::string& path, bool folder) {
    const auto item = FileManager::itemAt(path);
    if (!item.ok()) {
        // Whether anything is there is unknown: say so rather than call it missing.
        logError(kRemove, [&] { return item.error().description(); });
        throw RemoveAppBundleError(path, item.error());
    }
    if (!item->exists) {
        logInfo(kRemove, [&] { return quotedPath(path, "does not exist."); });
        return RemoveResult::missing;
    }
    if (folder && !item->isFolder) {
        logInfo(kRemove, [&] { return quotedPath(path, "not folder."); });
        return RemoveResult::notFolder;
    }
    if (const auto removal = FileManager::removeItem(path); !removal.ok()) {
        logError(kRemove, [&] { return removal.error().description(); });
        throw RemoveAppBundleError(path, removal.error());
    }
    logInfo(kRemove, "done");
    return RemoveResult::removed;
}

RemoveResult AppBundleJob::removeApp(const std::string& path) {
    logInfo("removeApp(path:)", "----- Remove App Bundle -----");
    return remove(path, true);
}

RemoveResult AppBundleJob::removeApplicationSupport(const std::string& home,
                                                    const std::string& bundleID) {
    constexpr const char* kFunction = "removeApplicationSupport(bundleID:)";
    logInfo(kFunction, "----- Remove \"Application Support\" -----");
    logInfo(kFunction, bundleID);
    return remove(applicationSupportPath(home, bundleID), true);
}

RemoveResult AppBundleJob::removePreferences(const std::string& home, const std::string& bundleID) {
    constexpr const char* kFunction = "removePreferences(bundleID:)";
    logInfo(kFunction, "----- Remove \"Preferences\" -----");
    logInfo(kFunction, [&] { return bundleID + ".plist"; });
    return remove(preferencesPath(home, bundleID), false);
}

RemoveResult AppBundleJob::removeContainers(const std::string& home, const std::string& bundleID) {
    constexpr const char* kFunction = "removeContainers(bundleID:)";
    logInfo(kFunction, "----- Remove \"Containers\" -----");
    logInfo(kFunction, bundleID);
    return remove(containersPath(home, bundleID), true);
}

RemoveResult AppBundleJob::removeGroupContainers(const std::string& home,
                                                 const std::string& groupID) {
    constexpr const char* kFunction = "removeGroupContainers(bundleID:)";
    logInfo(kFunction, "----- Remove \"Group Containers\" -----");
    logInfo(kFunction, groupID);
    return remove(groupContainersPath(home, groupID), true);
}

std::string AppBundleJob::applicationSupportPath(const std::string& home,
                                                 const std::string& bundleID) {
    return home + "/Library/Application Support/" + bundleID;
}

std::string AppBundleJob::preferencesPath(const std::string& home, const std::string& bundleID) {
    return home + "/Library/Preferences/" + bundleID + ".plist";
}

std::string AppBundleJob::containersPath(const std::string& home, const std::string& bundleID) {
    return home + "/Library/Containers/" + bundleID;
}

std::string AppBundleJob::groupContainersPath(const std::string& home, const std::string& groupID) {
    return home + "/Library/Group Containers/" + groupID;
}

} // namespace tavrel::jobs
