// The running program's process name and identifier.
#pragma once

#include <string>

namespace tavrel::platform {

/// The short name of the running program (its file name); empty when unknown.
std::string processName();

/// The running program's process identifier.
int processIdentifier() noexcept;

} // namespace tavrel::platform
