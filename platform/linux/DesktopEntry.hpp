// Reading and changing freedesktop desktop entry files (the autostart entries of login items):
// pure functions on the file's text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tavrel::platform::linux_desktop {

/// The value of `key` in the entry's [Desktop Entry] group, with the blanks around "=" taken
/// off; none when the group has no such key. Other groups and localized keys ("Name[de]") are
/// not looked at.
std::optional<std::string> mainGroupValue(std::string_view text, std::string_view key);

/// A string value with its escapes (`\s`, `\n`, `\t`, `\r`, `\\`) resolved; a backslash
/// before any other character stands for that character.
std::string unescaped(std::string_view value);

/// The text with `key` set to `value` in the [Desktop Entry] group (replacing every line of
/// that key there, or added at the group's end), or taken out of it when `value` is none.
/// Other groups and lines stay as they are; every line ends with a line feed.
std::string withMainGroupValue(std::string_view text, std::string_view key,
                               const std::optional<std::string>& value);

} // namespace tavrel::platform::linux_desktop
