// Resets the product's user defaults through the uninstaller's reset script.
#pragma once

#include "Source/jobs/ScriptJobResult.hpp"
#include "platform/AppleScriptHost.hpp"

namespace tavrel::jobs {

class UserDefaultsJob {
public:
    /// The script's file name among the uninstaller's resources.
    static constexpr const char* kScriptFileName = "reset-userdefaults.sh";

    /// Writes the banner, then runs the reset script on `host`: done, after a "done" line, when
    /// it exits 0; scriptMissing, with no further line, when the resources lack it. Any failure
    /// (exit status 1 included) is written as an error line with its description and thrown
    /// unchanged (AppleScriptExecuteError or AppleScriptUnknownError).
    static ScriptJobResult reset(const platform::AppleScriptHost& host);
};

} // namespace tavrel::jobs
