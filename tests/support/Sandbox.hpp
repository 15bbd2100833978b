// Running a program as a test would from a terminal (a clean environment, no input, its output
// and exit status collected), also in a private mount namespace (see SandboxLauncher.cpp): its
// own /Applications, read-only or tiny file systems, or no privileges, without touching the
// real system.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace tavrel::testing {

struct ProcessRun {
    int status = -1; // the exit status, 128 + the signal when it was killed, -1 when not started
    std::string out;
    std::string err;
};

/// Where the program's standard output and error go.
enum class Output {
    collected,  // into ProcessRun::out and err
    closedPipe, // both into a pipe whose reading end is already closed
};

/// Runs `argv` (argv[0] a path, or a name looked up on PATH) with exactly the variables of
/// `environment` ("NAME=value"), standard input from /dev/null, and waits for it.
ProcessRun runProcess(std::vector<std::string> argv, std::vector<std::string> environment,
                      Output output = Output::collected);

/// The variables a test's program gets: PATH, and HOME and the XDG folders inside `home`,
/// so that nothing reaches the real home folder, and no session bus; then `extra` ("NAME=value"),
/// each replacing a default of the same name.
std::vector<std::string> homeEnvironment(const std::string& home,
                                         const std::vector<std::string>& extra = {});

class Sandbox {
public:
    /// Why no sandbox can be had on this machine; none when one can. Asked once per process.
    static const std::optional<std::string>& unavailableReason();

    /// /Applications inside is `folder` (else an empty folder).
    Sandbox& applications(const std::string& folder) { return add({"--applications", folder}); }
    /// `file` is on `path` inside, which must exist: a test's own account database.
    Sandbox& bind(const std::string& file, const std::string& path) {
        return add({"--bind", file + ":" + path});
    }
    /// `path` is read-only inside.
    Sandbox& readOnly(const std::string& path) { return add({"--readonly", path}); }
    /// A new tmpfs on `path` ("path:size=64k" passes mount options).
    Sandbox& tmpfs(const std::string& pathAndOptions) { return add({"--tmpfs", pathAndOptions}); }
    /// A new ramfs, which refuses user attributes, on `path`.
    Sandbox& ramfs(const std::string& path) { return add({"--ramfs", path}); }
    /// The program runs without any capability, so that even root meets file permissions.
    Sandbox& unprivileged() { return add({"--unprivileged"}); }

    /// Runs `argv` inside, as runProcess does outside. The program sees and can signal only the
    /// processes started inside, which end with it: a kill script run there can never stop a
    /// process of the person running the tests, nor one that another test planted.
    [[nodiscard]] ProcessRun run(const std::vector<std::string>& argv,
                                 const std::vector<std::string>& environment,
                                 Output output = Output::collected) const;

private:
    Sandbox& add(std::initializer_list<std::string> options) {
        options_.insert(options_.end(), options);
        return *this;
    }

    std::vector<std::string> options_;
};

} // namespace tavrel::testing

/// Skips the calling test, with the reason, where no sandbox can be had.
#define TAVREL_SKIP_WITHOUT_SANDBOX()                                                              \
    if (const auto& reason = ::tavrel::testing::Sandbox::unavailableReason())                      \
    GTEST_SKIP() << *reason
