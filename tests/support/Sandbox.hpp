// A program run in a private mount namespace (see SandboxLauncher.cpp): its own /Applications,
// read-only or tiny file systems, or no privileges, without touching the real system.
#pragma once

#include "tests/support/Process.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tavrel::testing {

class Sandbox {
public:
    /// Why no sandbox can be had on this machine; none when one can. Asked once per process.
    static const std::optional<std::string>& unavailableReason();

    /// /Applications inside is `folder` (else an empty folder).
    Sandbox& applications(const std::string& folder);
    /// `path` is read-only inside.
    Sandbox& readOnly(const std::string& path);
    /// A new tmpfs on `path` ("path:size=64k" passes mount options).
    Sandbox& tmpfs(const std::string& pathAndOptions);
    /// A new ramfs, which refuses user attributes, on `path`.
    Sandbox& ramfs(const std::string& path);
    /// The program runs without any capability, so that even root meets file permissions.
    Sandbox& unprivileged();

    /// Runs `argv` inside, as runProcess does outside. The program sees and can signal only the
    /// processes started inside, which end with it: a kill script run there can never stop a
    /// process of the person running the tests, nor one that another test planted.
    [[nodiscard]] ProcessRun run(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& environment,
                                 Output output = Output::collected) const;

private:
    std::vector<std::string> options_;
};

} // namespace tavrel::testing

/// Skips the calling test, with the reason, where no sandbox can be had.
#define TAVREL_SKIP_WITHOUT_SANDBOX()                                                              \
    if (const auto& reason = ::tavrel::testing::Sandbox::unavailableReason())                      \
    GTEST_SKIP() << *reason
