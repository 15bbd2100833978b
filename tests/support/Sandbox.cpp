// The sandbox launcher, driven from tests.
#include "tests/support/Sandbox.hpp"

namespace tavrel::testing {

namespace {
constexpr int kUnavailable = 77;
} // namespace

const std::optional<std::string>& Sandbox::unavailableReason() {
    static const std::optional<std::string> reason = []() -> std::optional<std::string> {
        const ProcessRun probe =
            runProcess({TAVREL_SANDBOX_PROGRAM, "--probe"}, {"PATH=/usr/bin:/bin"});
        if (probe.status == 0) {
            return std::nullopt;
        }
        return probe.status == kUnavailable ? probe.err : "the sandbox failed: " + probe.err;
    }();
    return reason;
}

Sandbox& Sandbox::applications(const std::string& folder) {
    options_.insert(options_.end(), {"--applications", folder});
    return *this;
}

Sandbox& Sandbox::readOnly(const std::string& path) {
    options_.insert(options_.end(), {"--readonly", path});
    return *this;
}

Sandbox& Sandbox::tmpfs(const std::string& pathAndOptions) {
    options_.insert(options_.end(), {"--tmpfs", pathAndOptions});
    return *this;
}

Sandbox& Sandbox::ramfs(const std::string& path) {
    options_.insert(options_.end(), {"--ramfs", path});
    return *this;
}

Sandbox& Sandbox::unprivileged() {
    options_.emplace_back("--unprivileged");
    return *this;
}

ProcessRun Sandbox::run(const std::vector<std::string>& argv,
                        const std::vector<std::string>& environment, Output output) const {
    std::vector<std::string> command{TAVREL_SANDBOX_PROGRAM};
    command.insert(command.end(), options_.begin(), options_.end());
    command.emplace_back("--own-processes");
    command.emplace_back("--");
    command.insert(command.end(), argv.begin(), argv.end());
    // The launcher finds unshare on this PATH; the program inside gets `environment` too.
    return runProcess(command, environment, output);
}

} // namespace tavrel::testing
