// Bundle information on Linux: the resources folder is found from /proc/self/exe.
#include "platform/BundleInfo.hpp"
#include "platform/PropertyList.hpp"

#include <filesystem>
#include <system_error>

namespace tavrel::platform {

namespace {

std::optional<std::string> findResourcesFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::nullopt;
    }
    for (std::filesystem::path folder = program.parent_path(); !folder.empty();
         folder = folder.parent_path()) {
        const std::filesystem::path candidate = folder / "share" / "tavrel-uninstaller";
        if (std::filesystem::is_directory(candidate, error)) {
            return candidate.string() + "/";
        }
        if (folder == folder.root_path()) {
            break;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> BundleInfo::resourcesFolder() {
    static const std::optional<std::string> folder = findResourcesFolder();
    return folder;
}

std::optional<std::string> BundleInfo::infoString(const std::string& key) {
    static const std::optional<PropertyList> info = []() -> std::optional<PropertyList> {
        const auto folder = resourcesFolder();
        return folder ? PropertyList::load(*folder + "Info.plist") : std::nullopt;
    }();
    return info ? info->string(key) : std::nullopt;
}

} // namespace tavrel::platform
