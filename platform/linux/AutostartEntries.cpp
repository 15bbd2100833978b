// Autostart entries read with the desktop entry functions, each as an UntrustedFile.
#include "platform/linux/AutostartEntries.hpp"

#include "platform/CanonicalText.hpp"
#include "platform/UntrustedFile.hpp"
#include "platform/linux/DesktopEntry.hpp"
#include "platform/linux/DirectoryStream.hpp"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace tavrel::platform::linux_desktop {

namespace {

constexpr std::string_view kSuffix = ".desktop";

struct Entry {
    std::string path;
    std::optional<std::string> name;
};

struct Found {
    std::vector<Entry> entries; // the login items, in file-name order
    std::vector<FileError> unreadable;
};

Result<Found> loginItems(const std::string& folder) {
    const linux_files::DirectoryStream stream(opendir(folder.c_str()));
    if (!stream) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return Found{};
        }
        return FileError(errno, folder, FileError::Operation::inspect);
    }
    std::vector<std::string> files;
    errno = 0;
    while (const dirent* item = readdir(stream.get())) {
        const std::string_view name = item->d_name;
        if (name.size() > kSuffix.size() && name.ends_with(kSuffix)) {
            files.emplace_back(name);
        }
    }
    if (errno != 0) {
        return FileError(errno, folder, FileError::Operation::inspect);
    }
    std::sort(files.begin(), files.end());
    Found found;
    for (const std::string& file : files) {
        std::string path = folder;
        path.append("/").append(file);
        const auto text = UntrustedFile::read(path, UntrustedFile::Kind::desktopEntry);
        if (!text.ok()) {
            const int code = text.error().code();
            // Gone meanwhile, a link leading nowhere, or a folder: no entry at all.
            if (code != ENOENT && code != ENOTDIR && code != ELOOP && code != EISDIR) {
                found.unreadable.push_back(text.error());
            }
            continue;
        }
        if (mainGroupValue(*text, "Hidden") == "true") {
            continue;
        }
        const auto name = mainGroupValue(*text, "Name");
        found.entries.push_back(
            Entry{std::move(path), name ? std::optional(unescaped(*name)) : std::nullopt});
    }
    return found;
}

} // namespace

Result<AutostartEntries::Listing> AutostartEntries::list(const std::string& folder) {
    auto found = loginItems(folder);
    if (!found.ok()) {
        return found.error();
    }
    Listing listing;
    listing.names.reserve(found->entries.size());
    for (Entry& entry : found.value().entries) {
        listing.names.push_back(std::move(entry.name));
    }
    listing.unreadable = std::move(found.value().unreadable);
    return listing;
}

Result<bool> AutostartEntries::removeFirst(const std::string& folder, const std::string& name) {
    const auto found = loginItems(folder);
    if (!found.ok()) {
        return found.error();
    }
    for (const Entry& entry : found->entries) {
        if (entry.name && canonicallyEqual(*entry.name, name)) {
            if (unlink(entry.path.c_str()) != 0) {
                return FileError(errno, entry.path, FileError::Operation::remove);
            }
            return true;
        }
    }
    return false;
}

} // namespace tavrel::platform::linux_desktop
