// The account of the user who runs the program.
#pragma once

#include <string>

namespace tavrel::platform {

/// The user's login name from the password database; the user id in digits when it has none.
std::string userName();

/// Whether the program runs with root's rights (effective user id 0).
bool isSuperuser() noexcept;

} // namespace tavrel::platform
