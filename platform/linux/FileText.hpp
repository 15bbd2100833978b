// Replacing a small text file without ever leaving it half written.
#pragma once

#include "platform/Result.hpp"

#include <string>
#include <string_view>

namespace tavrel::platform::linux_files {

/// Writes `text` beside `path` and renames it over `path` (mode 0644), so readers see the old
/// or the new content, never a mix; a link at `path` is replaced, not written through.
Result<void> replaceText(const std::string& path, std::string_view text);

} // namespace tavrel::platform::linux_files
