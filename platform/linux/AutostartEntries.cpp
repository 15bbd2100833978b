// Autostart entries read with the desktop entry functions.
#include "platform/linux/AutostartEntries.hpp"

#include "platform/CanonicalText.hpp"
#include "platform/linux/DesktopEntry.hpp"
#include "platform/linux/FileText.hpp"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <memory>
#include <unistd.h>

namespace tavrel::platform::linux_desktop {

namespace {

constexpr std::string_view kSuffix = ".desktop";

struct Entry {
    std::string path;
    std::optional<std::string> name;
};

// A desktop entry string value with its escapes (\s \n \t \r \\) resolved.
std::string unescaped(std::string_view value) {
    std::string text;
    text.reserve(value.size());
    for (std::size_t index = 0; index < value.size(); ++index) {
        if (value[index] != '\\' || index + 1 == value.size()) {
            text += value[index];
            continue;
        }
        switch (const char c = value[++index]) {
        case 's':
            text += ' ';
            break;
        case 'n':
            text += '\n';
            break;
        case 't':
            text += '\t';
            break;
        case 'r':
            text += '\r';
            break;
        default:
            text += c;
        }
    }
    return text;
}

// The login items of `folder`, in file-name order.
Result<std::vector<Entry>> loginItems(const std::string& folder) {
    const std::unique_ptr<DIR, int (*)(DIR*)> stream(opendir(folder.c_str()), &closedir);
    if (!stream) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::vector<Entry>{};
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
    std::vector<Entry> entries;
    for (const std::string& file : files) {
        std::string path = folder;
        path.append("/").append(file);
        const auto text = linux_files::readText(path);
        if (!text.ok()) {
            const int code = text.error().code();
            if (code == ENOENT || code == ELOOP || code == EISDIR) {
                continue; // gone meanwhile, a dangling link, or no file: not an entry
            }
            return text.error();
        }
        if (mainGroupValue(*text, "Hidden") == "true") {
            continue;
        }
        const auto name = mainGroupValue(*text, "Name");
        entries.push_back(
            Entry{std::move(path), name ? std::optional(unescaped(*name)) : std::nullopt});
    }
    return entries;
}

} // namespace

Result<std::vector<std::optional<std::string>>> AutostartEntries::names(const std::string& folder) {
    auto entries = loginItems(folder);
    if (!entries.ok()) {
        return entries.error();
    }
    std::vector<std::optional<std::string>> names;
    names.reserve(entries->size());
    for (Entry& entry : entries.value()) {
        names.push_back(std::move(entry.name));
    }
    return names;
}

Result<bool> AutostartEntries::removeFirst(const std::string& folder, const std::string& name) {
    const auto entries = loginItems(folder);
    if (!entries.ok()) {
        return entries.error();
    }
    for (const Entry& entry : *entries) {
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
