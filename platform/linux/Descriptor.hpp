// Owns one open file descriptor and closes it at the end of its life.
#pragma once

#include <unistd.h>
#include <utility>

namespace tavrel::platform::linux_files {

class Descriptor {
public:
    Descriptor() noexcept = default;
    /// Takes ownership of `descriptor` (negative: none).
    explicit Descriptor(int descriptor) noexcept : descriptor_(descriptor) {}
    Descriptor(Descriptor&& other) noexcept : descriptor_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }

    [[nodiscard]] int get() const noexcept { return descriptor_; }
    [[nodiscard]] bool valid() const noexcept { return descriptor_ >= 0; }
    explicit operator bool() const noexcept { return valid(); }

    /// Gives up ownership without closing.
    int release() noexcept { return std::exchange(descriptor_, -1); }
    /// Closes the descriptor owned so far and takes `descriptor` instead.
    void reset(int descriptor = -1) noexcept {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        descriptor_ = descriptor;
    }

private:
    int descriptor_ = -1;
};

} // namespace tavrel::platform::linux_files
