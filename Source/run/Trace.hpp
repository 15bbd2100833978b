// One thing of the product that exists now and that a step of the run would remove or switch off.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

} // namespace tavrel
