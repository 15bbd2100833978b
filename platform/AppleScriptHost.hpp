// Running AppleScript source text as the system's script facility does: the script's result
// value, or the number and message of its failure.
#pragma once

#include "platform/Result.hpp"
#include "platform/ScriptDescriptor.hpp"

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tavrel::platform {

class AppleScriptHost {
public:
    /// What the system reports about a failed script; either part may be missing.
    struct Failure {
        std::optional<long long> number;
        std::optional<std::string> message;

        friend bool operator==(const Failure&, const Failure&) = default;
    };

    /// The result value of a script that ran, or its failure.
    using Execution = std::variant<ScriptDescriptor, Failure>;

    struct Settings {
        /// Where the user's login items live ("System Events" login items), for systems on which
        /// the host keeps them itself; see LoginItemSwitch::loginItemsFolder.
        std::string loginItemsFolder;
        /// How long a `do shell script` command may run before it is stopped as timed out.
        std::chrono::milliseconds shellTimeout = std::chrono::seconds(120);
    };

    /// The system's host.
    static std::unique_ptr<AppleScriptHost> make(Settings settings);

    /// The "System Events" login items among those of `loginItemsFolder` (see Settings) that
    /// cannot be read, each as the error that says why (not a regular file, too large, ...);
    /// scripts neither name nor delete them. Empty where every one can be read. Fails when the
    /// login items cannot be listed at all, as the scripts then do.
    static Result<std::vector<FileError>> unreadableLoginItems(const std::string& loginItemsFolder);

    virtual ~AppleScriptHost() = default;

    /// Makes a script of `source` and runs it on the calling thread until it ends. None when the
    /// text cannot be made into a script at all; a compile error is a Failure (number -2741).
    [[nodiscard]] virtual std::optional<Execution> execute(const std::string& source) const = 0;

protected:
    AppleScriptHost() = default;
    AppleScriptHost(const AppleScriptHost&) = default;
    AppleScriptHost& operator=(const AppleScriptHost&) = default;
};

} // namespace tavrel::platform
