// Reading the text of /proc/<pid>/stat: a pure function on the file's content.
#pragma once

#include <optional>
#include <string_view>

namespace tavrel::platform::linux_proc {

/// The process's start time in clock ticks since boot (field 22), from the whole text of its
/// stat file; the command name in parentheses may hold spaces and parentheses of its own.
/// None when the text has no such field.
std::optional<unsigned long long> startTime(std::string_view stat);

/// The process identifier of the process's parent (field 4), from the whole text of its stat
/// file; 0 for a process started by the kernel. None when the text has no such field.
std::optional<int> parentProcess(std::string_view stat);

} // namespace tavrel::platform::linux_proc
