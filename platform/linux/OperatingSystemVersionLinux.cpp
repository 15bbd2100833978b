// Operating-system version on Linux: PRETTY_NAME of os-release and the kernel release.
#include "platform/OperatingSystemVersion.hpp"
#include "platform/UntrustedFile.hpp"
#include "platform/linux/OsRelease.hpp"

#include <sys/utsname.h>

namespace tavrel::platform {

std::string OperatingSystemVersion::platformName() {
    return "Linux";
}

std::string OperatingSystemVersion::versionString() {
    std::string name;
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        if (const auto text = UntrustedFile::read(path, UntrustedFile::Kind::systemRelease);
            text.ok()) {
            name = linux_proc::prettyName(*text);
            break;
        }
    }
    std::string kernel;
    utsname system{};
    if (uname(&system) == 0) {
        kernel = system.release;
    }
    if (name.empty() && kernel.empty()) {
        return "unknown";
    }
    if (kernel.empty()) {
        return name;
    }
    return name.empty() ? "Kernel " + kernel : name + " (Kernel " + kernel + ")";
}

} // namespace tavrel::platform
