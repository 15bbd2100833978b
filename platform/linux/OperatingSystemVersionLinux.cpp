// Operating-system version on Linux: PRETTY_NAME of os-release and the kernel release.
#include "platform/OperatingSystemVersion.hpp"

#include <fstream>
#include <sys/utsname.h>

namespace tavrel::platform {

namespace {

// The value of PRETTY_NAME, without its shell quoting; empty when absent.
std::string prettyName(const char* path) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        constexpr std::string_view key = "PRETTY_NAME=";
        if (line.compare(0, key.size(), key) != 0) {
            continue;
        }
        std::string value = line.substr(key.size());
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        std::string unescaped;
        for (std::size_t i = 0; i < value.size(); ++i) {
            if (value[i] == '\\' && i + 1 < value.size()) {
                ++i;
            }
            unescaped += value[i];
        }
        return unescaped;
    }
    return {};
}

} // namespace

std::string OperatingSystemVersion::platformName() {
    return "Linux";
}

std::string OperatingSystemVersion::versionString() {
    std::string name = prettyName("/etc/os-release");
    if (name.empty()) {
        name = prettyName("/usr/lib/os-release");
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
