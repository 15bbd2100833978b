// Reading a property list file (an Info.plist): its top-level string entries.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace tavrel::platform {

class PropertyList {
public:
    /// Loads an XML or binary property list whose top level is a dictionary; none when the file
    /// is missing, unreadable or not such a property list.
    static std::optional<PropertyList> load(const std::string& path);

    /// The text of a top-level string entry; none when the key is absent or not a string.
    [[nodiscard]] std::optional<std::string> string(const std::string& key) const;

private:
    std::map<std::string, std::string> strings_;
};

} // namespace tavrel::platform
