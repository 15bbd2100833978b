// One thing of the product that exists now and that a step of the run would remove or switch off.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

struct Trace {
    enum class Kind {
        keychainItems, // the items of one keychain service that the job's rule takes
        launcher,      // the launcher's login item, still switched on
        loginItem,     // a login item of that name
        process,       // a running helper process
        path,          // a file, link or folder tree
        defaults,      // a user defaults domain
    };

    Kind kind = Kind::path;
    std::string name; // the service, bundle identifier, login item, process name, path or domain
    std::optional<std::uint64_t> bytes; // path: the sizes of everything in it but its folders
    std::optional<std::uint64_t> files; // path: how many files and links it holds
    std::optional<int> items;           // keychain items: how many
    std::optional<int> pid;             // process: its process identifier

    friend bool operator==(const Trace&, const Trace&) = default;
};

/// The kind's name in the JSON report: stable, callers rely on it.
constexpr std::string_view stableName(Trace::Kind kind) {
    constexpr std::array<std::string_view, 6> kNames{"keychainItems", "launcher", "loginItem",
                                                     "process",       "path",     "defaults"};
    return kNames.at(static_cast<std::size_t>(kind));
}

} // namespace tavrel
