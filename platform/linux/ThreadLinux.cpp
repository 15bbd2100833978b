// Thread identity on Linux: the kernel's thread id, and names of at most 15 bytes.
#include "platform/Thread.hpp"

#include <array>
#include <pthread.h>
#include <unistd.h>

namespace tavrel::platform {

namespace {
constexpr std::size_t kNameLimit = 15; // bytes, without the terminating NUL
} // namespace

std::uint64_t currentThreadID() noexcept {
    return static_cast<std::uint64_t>(gettid());
}

std::optional<std::string> currentThreadName() {
    std::array<char, kNameLimit + 1> buffer{};
    if (pthread_getname_np(pthread_self(), buffer.data(), buffer.size()) != 0 ||
        buffer[0] == '\0') {
        return std::nullopt;
    }
    return std::string(buffer.data());
}

void setCurrentThreadName(std::string_view name) noexcept {
    if (name.size() > kNameLimit) {
        name.remove_prefix(name.size() - kNameLimit);
    }
    std::array<char, kNameLimit + 1> buffer{};
    name.copy(buffer.data(), name.size());
    (void)pthread_setname_np(pthread_self(), buffer.data());
}

} // namespace tavrel::platform
