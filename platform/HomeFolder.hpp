// The home folder of the user who runs the program.
#pragma once

#include <string>

namespace tavrel::platform {

/// $HOME when it is set and absolute; otherwise the password-database entry of the real user id;
/// "/" when neither gives a folder. No trailing slash is added or removed.
std::string homeFolder();

} // namespace tavrel::platform
