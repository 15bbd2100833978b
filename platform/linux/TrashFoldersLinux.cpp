// The freedesktop home trash: $XDG_DATA_HOME/Trash (default ~/.local/share/Trash), whose files/
// holds the items and info/ a <name>.trashinfo record for each.
#include "platform/FileManager.hpp"
#include "platform/TrashFolders.hpp"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace tavrel::platform {

namespace {

constexpr std::string_view kFilesSuffix = "/files";

std::string dataHome(const std::string& home) {
    // A relative XDG_DATA_HOME is invalid and must be ignored.
    if (const char* value = std::getenv("XDG_DATA_HOME"); // NOLINT(concurrency-mt-unsafe)
        value != nullptr && value[0] == '/') {
        return value;
    }
    std::string_view trimmed = home;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.remove_suffix(1);
    }
    return std::string(trimmed) + "/.local/share";
}

bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace

std::vector<std::string> TrashFolders::userTrashFolders(const std::string& home) {
    std::string files = dataHome(home) + "/Trash" + std::string(kFilesSuffix);
    const auto item = FileManager::itemAt(files);
    if (item.ok() && item->exists && item->isFolder) {
        return {std::move(files)};
    }
    return {};
}

std::string TrashFolders::itemPath(const std::string& trashFolder, const std::string& name) {
    return trashFolder + "/" + name;
}

Result<TrashFolders::Removal> TrashFolders::removeItem(const std::string& trashFolder,
                                                       const std::string& name) {
    if (!isPlainName(name)) {
        return FileError(EINVAL, itemPath(trashFolder, name));
    }
    const auto removal = FileManager::removeItem(itemPath(trashFolder, name));
    if (!removal.ok()) {
        if (removal.error().code() == ENOENT) {
            return Removal{}; // nothing there: its record, if any, is none of our business
        }
        return removal.error(); // the item is still (partly) there, so its record stays
    }
    // The record describes only this item; without the item it is stale, so it goes too.
    Removal result{true, std::nullopt};
    if (trashFolder.ends_with(kFilesSuffix)) {
        const std::string info = trashFolder.substr(0, trashFolder.size() - kFilesSuffix.size()) +
                                 "/info/" + name + ".trashinfo";
        if (const auto record = FileManager::removeItem(info);
            !record.ok() && record.error().code() != ENOENT) {
            result.recordError = record.error();
        }
    }
    return result;
}

} // namespace tavrel::platform
