// Running applications from the user's process list: a process whose executable lies in
// X.app/Contents/MacOS/ belongs to the bundle X.app, identified by X.app/Contents/Info.plist.
#include "platform/PropertyList.hpp"
#include "platform/RunningApplications.hpp"
#include "platform/UserProcesses.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <string_view>
#include <sys/stat.h>

namespace tavrel::platform {

namespace {

constexpr std::string_view kExecutableFolder = "/Contents/MacOS/";

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

Result<std::vector<RunningApplication>>
RunningApplications::withBundleIdentifier(const std::string& bundleIdentifier) {
    const auto processes = UserProcesses::list();
    if (!processes.ok()) {
        return processes.error();
    }
    std::map<std::string, BundleFacts> bundles; // each bundle's Info.plist is read once
    std::vector<std::pair<unsigned long long, RunningApplication>> matches; // with start times
    for (const UserProcess& process : *processes) {
        const auto bundle = bundleOf(process.executablePath);
        if (!bundle) {
            continue;
        }
        auto known = bundles.find(*bundle);
        if (known == bundles.end()) {
            known = bundles.emplace(*bundle, readBundle(*bundle)).first;
        }
        const BundleFacts& facts = known->second;
        if (facts.identifier == bundleIdentifier) {
            matches.emplace_back(
                process.startTime,
                RunningApplication{process.processIdentifier, *bundle, facts.name, facts.iconPath});
        }
    }
    // Oldest first; the list is in process identifier order, which settles a tie.
    std::stable_sort(matches.begin(), matches.end(),
                     [](const auto& lhs, const auto& rhs) { return lhs.first < rhs.first; });
    std::vector<RunningApplication> found;
    found.reserve(matches.size());
    for (auto& match : matches) {
        found.push_back(std::move(match.second));
    }
    return found;
}

} // namespace tavrel::platform
