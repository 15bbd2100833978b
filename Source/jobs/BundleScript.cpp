// Resource lookup and the composition of `do shell script` source.
#include "Source/jobs/BundleScript.hpp"

#include "Source/scripts/AppleScript.hpp"
#include "platform/BundleInfo.hpp"
#include "platform/FileManager.hpp"

namespace tavrel::jobs {

std::optional<std::string> bundleResourcePath(const std::string& name) {
    const auto folder = platform::BundleInfo::resourcesFolder();
    if (!folder) {
        return std::nullopt;
    }
    std::string path = *folder + name;
    const auto item = platform::FileManager::itemAt(path);
    return item.ok() && item->exists ? std::optional(std::move(path)) : std::nullopt;
}

std::string shellScriptSource(const std::string& path) {
    // Inside single quotes the shell takes every character as it is, but a single quote.
    std::string command = "'";
    for (const char c : path) {
        command += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    command += '\'';
    return "do shell script " + AppleScript::stringLiteral(command);
}

} // namespace tavrel::jobs
