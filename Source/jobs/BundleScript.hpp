// Finding a script among the uninstaller's own resources, and the AppleScript that runs it.
#pragma once

#include <optional>
#include <string>

namespace tavrel::jobs {

/// The full path of the file `name` (with its extension, e.g. "kill-brolt.sh") in the
/// uninstaller's resources folder; none when there is no such folder or file.
std::optional<std::string> bundleResourcePath(const std::string& name);

/// The AppleScript source that runs the script at `path` with `do shell script`, without
/// arguments: the path quoted for the shell, and that command as an AppleScript string, each
/// escaped so that any path runs exactly that file and nothing else. For a path without
/// quotes, backslashes or control characters: do shell script "'<path>'".
std::string shellScriptSource(const std::string& path);

} // namespace tavrel::jobs
