// The freedesktop home trash: $XDG_DATA_HOME/Trash (default ~/.local/share/Trash), whose files/
// holds the items and info/ a <name>.trashinfo record for each.
#include "platform/FileManager.hpp"
#include "platform/HomeFolder.hpp"
#include "platform/TrashFolders.hpp"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace tavrel::platform {

namespace {

constexpr const char* kFilesSuffix = "/files";

std::string dataHome() {
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (const char* value = std::getenv("XDG_DATA_HOME");
        value != nullptr && value[0] == '/') { // NOLINT
        return value;
    }
    std::string home = homeFolder();
    if (home.size() > 1 && home.back() == '/') {
        home.pop_back();
    }
    return home == "/" ? "/.local/share" : home + "/.local/share";
}

bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

std::vector<std::string> TrashFolders::userTrashFolders() {
    std::string files = dataHome() + "/Trash" + kFilesSuffix;
    if (const FileManager::Item item = FileManager::itemAt(files); item.exists && item.isFolder) {
        return {std::move(files)};
    }
    return {};
}

std::string TrashFolders::itemPath(const std::string& trashFolder, const std::string& name) {
    return trashFolder + "/" + name;
}

TrashFolders::Removal TrashFolders::removeItem(const std::string& trashFolder,
                                               const std::string& name) {
    if (!isPlainName(name)) {
        return Removal{false, FileError(EINVAL, itemPath(trashFolder, name))};
    }
    Removal result{true, std::nullopt};
    if (auto error = FileManager::removeItem(itemPath(trashFolder, name))) {
        if (error->code() != ENOENT) {
            result.removed = false;
            result.error = std::move(error);
            return result; // the item is still (partly) there, so its record stays
        }
        result.removed = false;
    }
    // The record describes only this item; without the item it is stale, so it goes too.
    const std::string_view suffix = kFilesSuffix;
    if (trashFolder.ends_with(suffix)) {
        const std::string info = trashFolder.substr(0, trashFolder.size() - suffix.size()) +
                                 "/info/" + name + ".trashinfo";
        if (auto error = FileManager::removeItem(info); error && error->code() != ENOENT) {
            result.error = std::move(error);
        }
    }
    return result;
}

} // namespace tavrel::platform
