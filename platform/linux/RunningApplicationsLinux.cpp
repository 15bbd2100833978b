// Running applications from /proc: a process of this user whose executable lies in
// X.app/Contents/MacOS/ belongs to the bundle X.app, identified by X.app/Contents/Info.plist.
#include "platform/PropertyList.hpp"
#include "platform/RunningApplications.hpp"
#include "platform/linux/Descriptor.hpp"
#include "platform/linux/DirectoryStream.hpp"
#include "platform/linux/ProcessStat.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {

constexpr std::string_view kExecutableFolder = "/Contents/MacOS/";
constexpr std::string_view kDeletedSuffix = " (deleted)";

std::optional<int> processIdentifier(const char* name) {
    int value = 0;
    for (const char* c = name; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || value > 100'000'000) {
            return std::nullopt;
        }
        value = value * 10 + (*c - '0');
    }
    return value > 0 ? std::optional<int>(value) : std::nullopt;
}

std::optional<std::string> executableOf(int processes, const std::string& pid) {
    std::array<char, 4096> buffer{};
    const ssize_t length =
        readlinkat(processes, (pid + "/exe").c_str(), buffer.data(), buffer.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
        return std::nullopt;
    }
    std::string path(buffer.data(), static_cast<std::size_t>(length));
    if (path.ends_with(kDeletedSuffix)) {
        path.resize(path.size() - kDeletedSuffix.size());
    }
    return path;
}

// The bundle folder of an executable at X.app/Contents/MacOS/<file>, or none.
std::optional<std::string> bundleOf(const std::string& executable) {
    const auto slash = executable.rfind('/');
    if (slash == std::string::npos || slash + 1 == executable.size()) {
        return std::nullopt;
    }
    const std::string_view folder = std::string_view(executable).substr(0, slash + 1);
    if (!folder.ends_with(kExecutableFolder)) {
        return std::nullopt;
    }
    std::string bundle(folder.substr(0, folder.size() - kExecutableFolder.size()));
    const std::size_t nameStart = bundle.rfind('/') + 1; // npos + 1 is 0
    if (!bundle.ends_with(".app") || bundle.size() - nameStart <= 4) {
        return std::nullopt;
    }
    return bundle;
}

// The process's start time in clock ticks since boot; 0 when it cannot be read.
unsigned long long startTimeOf(int processes, const std::string& pid) {
    const linux_files::Descriptor stat(
        openat(processes, (pid + "/stat").c_str(), O_RDONLY | O_CLOEXEC));
    if (!stat) {
        return 0;
    }
    std::array<char, 1024> buffer{};
    const ssize_t length = read(stat.get(), buffer.data(), buffer.size());
    if (length <= 0) {
        return 0;
    }
    return linux_proc::startTime(std::string_view(buffer.data(), static_cast<std::size_t>(length)))
        .value_or(0);
}

struct BundleFacts {
    std::optional<std::string> identifier;
    std::optional<std::string> name;
    std::optional<std::string> iconPath;
};

BundleFacts readBundle(const std::string& bundle) {
    BundleFacts facts;
    const auto list = PropertyList::load(bundle + "/Contents/Info.plist");
    if (!list) {
        return facts;
    }
    facts.identifier = list->string("CFBundleIdentifier");
    facts.name = list->string("CFBundleDisplayName");
    if (!facts.name) {
        facts.name = list->string("CFBundleName");
    }
    if (!facts.name) {
        facts.name = bundle.substr(bundle.rfind('/') + 1);
    }
    if (const auto icon = list->string("CFBundleIconFile"); icon && !icon->empty()) {
        const std::string base = bundle + "/Contents/Resources/" + *icon;
        // The icon file may be named without its extension.
        for (const std::string& candidate : {base, base + ".icns"}) {
            struct stat status {};
            if (stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
                facts.iconPath = candidate;
                break;
            }
        }
    }
    return facts;
}

} // namespace

std::vector<RunningApplication>
RunningApplications::withBundleIdentifier(const std::string& bundleIdentifier) {
    std::vector<RunningApplication> found;
    const linux_files::DirectoryStream stream(opendir("/proc"));
    if (!stream) {
        return found;
    }
    const int processes = stream.descriptor();
    const uid_t user = getuid();
    std::map<std::string, BundleFacts> bundles; // each bundle's Info.plist is read once
    std::vector<std::pair<unsigned long long, RunningApplication>> matches;
    while (const dirent* entry = readdir(stream.get())) {
        const auto pid = processIdentifier(entry->d_name);
        if (!pid) {
            continue;
        }
        struct stat status {};
        if (fstatat(processes, entry->d_name, &status, 0) != 0 || status.st_uid != user) {
            continue;
        }
        const std::string name = entry->d_name;
        const auto executable = executableOf(processes, name);
        if (!executable) {
            continue;
        }
        const auto bundle = bundleOf(*executable);
        if (!bundle) {
            continue;
        }
        auto known = bundles.find(*bundle);
        if (known == bundles.end()) {
            known = bundles.emplace(*bundle, readBundle(*bundle)).first;
        }
        const BundleFacts& facts = known->second;
        if (facts.identifier != bundleIdentifier) {
            continue;
        }
        matches.emplace_back(startTimeOf(processes, name),
                             RunningApplication{*pid, *bundle, facts.name, facts.iconPath});
    }
    std::sort(matches.begin(), matches.end(), [](const auto& lhs, const auto& rhs) {
        if (lhs.first != rhs.first) {
            return lhs.first < rhs.first;
        }
        return lhs.second.processIdentifier < rhs.second.processIdentifier;
    });
    found.reserve(matches.size());
    for (auto& match : matches) {
        found.push_back(std::move(match.second));
    }
    return found;
}

} // namespace tavrel::platform
