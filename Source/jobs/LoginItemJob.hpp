// Removes a login item of the product by its name, through "System Events".
#pragma once

#include "Source/jobs/LoginItemResult.hpp"
#include "platform/AppleScriptHost.hpp"

#include <string>
#include <vector>

namespace tavrel::jobs {

class LoginItemJob {
public:
    /// Writes the banner, lists the login items (a debug line shows them) and, when one is
    /// named `appName` (canonically equal, letter case significant), sends one deletion for
    /// that name: removed after a "done" line; notFound after a "not found" line, or silently
    /// when the deletion finds no such item (-1728); deletionFailed, after an error line with
    /// its description, when the deletion fails otherwise (that error is not thrown). Throws
    /// the runner's error, writing nothing more, when the login items cannot be listed.
    static LoginItemResult disable(const std::string& appName,
                                   const platform::AppleScriptHost& host);

    /// The names of all login items; empty when the listing gives no list. Throws the
    /// runner's error unchanged.
    static std::vector<std::string> loginItemNames(const platform::AppleScriptHost& host);
};

} // namespace tavrel::jobs
