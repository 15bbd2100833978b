// The home folder of the user who runs the program.
#pragma once

#include <optional>
#include <string>

namespace tavrel::platform {

/// $HOME when it is set and not empty, else the password database's entry for the real user
/// id; returned as given, with no separator added or removed. None when that is relative, is no
/// existing folder, or is the root folder under any spelling ("/", "//", "/.", a link to "/"):
/// the run must never act on the system-wide folders in place of the user's own.
std::optional<std::string> homeFolder();

} // namespace tavrel::platform
