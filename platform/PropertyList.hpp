// Reading a property list file (an Info.plist): its top-level text and number entries.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel::platform {

class PropertyList {
public:
    /// Loads an XML or binary property list whose top level is a dictionary, read as an
    /// UntrustedFile; none when the file is missing, unreadable, refused or not such a list.
    static std::optional<PropertyList> load(const std::string& path);

    /// The same, from the file's content.
    static std::optional<PropertyList> parse(std::string_view data);

    /// The text of a top-level string entry, or the plain text form of an integer or real one
    /// (45, 1.5); none when the key is absent or holds another kind of value.
    [[nodiscard]] std::optional<std::string> string(const std::string& key) const;

private:
    std::map<std::string, std::string> strings_;
};

} // namespace tavrel::platform
