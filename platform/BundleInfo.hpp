// The uninstaller's own bundle: its resources folder and its information dictionary.
#pragma once

#include <optional>
#include <string>

namespace tavrel::platform {

class BundleInfo {
public:
    /// The folder of the uninstaller's resources, with a trailing slash: the nearest
    /// `share/tavrel-uninstaller/` above the running program (`<prefix>/bin/..` when installed,
    /// the build folder in the build tree). None when there is none. Found once per process.
    static std::optional<std::string> resourcesFolder();

    /// A top-level entry of the resources folder's Info.plist as text (numbers in their plain
    /// text form); none when the key, the file or the folder is missing. The file is read once per
    /// process.
    static std::optional<std::string> infoString(const std::string& key);
};

} // namespace tavrel::platform
