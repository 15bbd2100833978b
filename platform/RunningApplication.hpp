// One running application as the system reports it.
#pragma once

#include <optional>
#include <string>

namespace tavrel::platform {

struct RunningApplication {
    int processIdentifier = 0;
    std::string bundlePath;                   // the application bundle the process was started from
    std::optional<std::string> localizedName; // none when the application reports no name
    std::optional<std::string> iconPath;      // none when the application has no icon file
};

} // namespace tavrel::platform
