// Running a program as a test would from a terminal (a clean environment, no input, its output
// and exit status collected), also in a sandbox made by bubblewrap: a root that mirrors the real
// one with its own /Applications, read-only or tiny file systems, or no privileges, and its own
// processes, without touching the real system.
#pragma once

#include <cstddef>
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
    Sandbox& applications(const std::string& folder) {
        return add({"--bind", folder, "/Applications"});
    }
    /// `file` is on `path` inside, which must exist: a test's own account database.
    Sandbox& bind(const std::string& file, const std::string& path) {
        return add({"--bind", file, path});
    }
    /// `path` is read-only inside; `from` outside is read-only on `to` inside. Made last, over
    /// whatever the other options mounted.
    Sandbox& readOnly(const std::string& path) { return readOnly(path, path); }
    Sandbox& readOnly(const std::string& from, const std::string& to) {
        readOnly_.insert(readOnly_.end(), {"--ro-bind", from, to});
        return *this;
    }
    /// A new tmpfs of `bytes` on `path`, which must exist.
    Sandbox& tmpfs(const std::string& path, std::size_t bytes) {
        return add({"--size", std::to_string(bytes), "--tmpfs", path});
    }
    /// The program runs without any capability, so that even root meets file permissions.
    Sandbox& unprivileged() { return add({"--cap-drop", "ALL"}); }

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
    std::vector<std::string> readOnly_;
};

} // namespace tavrel::testing

/// Skips the calling test, with the reason, where no sandbox can be had.
#define TAVREL_SKIP_WITHOUT_SANDBOX()                                                              \
    if (const auto& reason = ::tavrel::testing::Sandbox::unavailableReason())                      \
    GTEST_SKIP() << *reason
