// What a front end does first of all, before it writes or opens anything.
#pragma once

namespace tavrel::platform {

/// Makes the process safe against an unfriendly start: a write to a closed pipe fails with an
/// error instead of ending the process, and any of the three standard descriptors that is
/// closed is opened on the null device, so that no file opened later takes its number and
/// receives terminal output; and the limit of open descriptors is raised as far as the system
/// allows, since a tree walk holds one for each level of a folder it is inside. Call it first
/// thing in main().
void prepareProcess() noexcept;

} // namespace tavrel::platform
