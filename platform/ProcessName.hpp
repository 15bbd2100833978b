// The running program's process name.
#pragma once

#include <string>

namespace tavrel::platform {

/// The short name of the running program (its file name); empty when unknown.
std::string processName();

} // namespace tavrel::platform
