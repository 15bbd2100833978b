// The status line stream, chosen once at start-up.
#include "keychain/StatusOutput.hpp"

#include <atomic>
#include <iostream>

namespace tavrel::keychain {

namespace {
std::atomic<std::ostream*> output{&std::cout}; // NOLINT: the one process-wide choice
} // namespace

void setStatusOutput(std::ostream& out) noexcept {
    output.store(&out);
}

std::ostream& statusOutput() noexcept {
    return *output.load();
}

} // namespace tavrel::keychain
