// Bundle information on Linux: the resources folder is found from the program's own path, which
// /proc/self/exe gives, or, without /proc, the path the program was started by.
#include "platform/BundleInfo.hpp"
#include "platform/PropertyList.hpp"

#include <filesystem>
#include <sys/auxv.h>
#include <system_error>

namespace tavrel::platform {

namespace {

std::optional<std::string> findResourcesFolder() {
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        // Relative to the working folder, which this program never changes.
        const auto* started = reinterpret_cast<const char*>(getauxval(AT_EXECFN));
        if (started == nullptr) {
            return std::nullopt;
        }
        program = std::filesystem::canonical(started, error);
        if (error) {
            return std::nullopt;
        }
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
    // Never destroyed: other threads may still ask while the process exits.
    static const auto* const folder = new std::optional<std::string>(findResourcesFolder());
    return *folder;
}

std::optional<std::string> BundleInfo::infoString(const std::string& key) {
    static const auto* const info = [] {
        const auto folder = resourcesFolder();
        return new std::optional<PropertyList>(folder ? PropertyList::load(*folder + "Info.plist")
                                                      : std::nullopt);
    }();
    return *info ? (*info)->string(key) : std::nullopt;
}

} // namespace tavrel::platform
