// Owns one open directory stream and closes it at the end of its life.
#pragma once

#include <dirent.h>
#include <utility>

namespace tavrel::platform::linux_files {

class DirectoryStream {
public:
    DirectoryStream() noexcept = default;
    /// Takes ownership of `stream` (null: none).
    explicit DirectoryStream(DIR* stream) noexcept : stream_(stream) {}
    DirectoryStream(DirectoryStream&& other) noexcept
        : stream_(std::exchange(other.stream_, nullptr)) {}
    DirectoryStream& operator=(DirectoryStream&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.stream_, nullptr));
        }
        return *this;
    }
    DirectoryStream(const DirectoryStream&) = delete;
    DirectoryStream& operator=(const DirectoryStream&) = delete;
    ~DirectoryStream() { reset(); }

    [[nodiscard]] DIR* get() const noexcept { return stream_; }
    explicit operator bool() const noexcept { return stream_ != nullptr; }
    /// The descriptor of the open folder, for the *at() calls.
    [[nodiscard]] int descriptor() const noexcept { return dirfd(stream_); }

    /// Closes the stream owned so far and takes `stream` instead.
    void reset(DIR* stream = nullptr) noexcept {
        if (stream_ != nullptr) {
            closedir(stream_);
        }
        stream_ = stream;
    }

private:
    DIR* stream_ = nullptr;
};

} // namespace tavrel::platform::linux_files
