// The calling thread as the operating system knows it: its id and its name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel::platform {

/// The calling thread's system-wide id, unique among the threads alive at the time.
std::uint64_t currentThreadID() noexcept;

/// The calling thread's name; none when it has none or it cannot be read.
std::optional<std::string> currentThreadName();

/// Names the calling thread. A name longer than the system allows keeps its end, which is the
/// telling part of a dotted label. Failures are ignored: a name only helps a debugger.
void setCurrentThreadName(std::string_view name) noexcept;

} // namespace tavrel::platform
