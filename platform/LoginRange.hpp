// The user ids of the accounts people log in with, as the system sets them for new accounts.
#pragma once

namespace tavrel::platform {

struct LoginRange {
    unsigned first = 1000; // Debian's defaults
    unsigned last = 60000;

    /// Whether `uid` lies in the range.
    [[nodiscard]] bool contains(unsigned uid) const noexcept { return uid >= first && uid <= last; }

    /// UID_MIN and UID_MAX of /etc/login.defs; Debian's defaults for a value that is missing or
    /// not a decimal number, or for both when the file cannot be read or the range is empty.
    static LoginRange ofThisSystem();
};

} // namespace tavrel::platform
