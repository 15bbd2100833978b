// The name and version text of the operating system the program runs on.
#pragma once

#include <string>

namespace tavrel::platform {

class OperatingSystemVersion {
public:
    /// The platform's name as people know it: "Linux" here, "macOS" on macOS.
    static std::string platformName();

    /// A one-line, human-readable version of the running system; "unknown" when the system
    /// tells nothing.
    static std::string versionString();
};

} // namespace tavrel::platform
