// The command line's exit statuses, which scripts and fleet tools act on.
#pragma once

namespace tavrel::cli::exit_status {

inline constexpr int kSucceeded = 0;          // removed, or nothing to do
inline constexpr int kFailed = 1;             // something failed or is still there
inline constexpr int kApplicationRunning = 2; // a product application runs; nothing was removed
inline constexpr int kUsageError = 64;        // the usual EX_USAGE, or no one to confirm

} // namespace tavrel::cli::exit_status
