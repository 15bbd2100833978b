// A regular file open for appending: every write lands at its end, whole, among other writers.
#pragma once

#include "platform/Result.hpp"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tavrel::platform {

class File {
public:
    /// Opens the regular file at `path` for appending. Never follows a final symbolic link and
    /// never blocks (a FIFO without a reader would hold the caller forever); anything but a
    /// regular file the caller may write fails.
    static Result<File> openForAppending(const std::string& path);

    /// Makes an empty regular file at `path`, and fails (EEXIST) when anything is there already,
    /// a link included: an existing file is never replaced, whoever made it.
    static Result<void> createNew(const std::string& path);

    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    /// Closes the file, if still open, without a word: use close() to learn of a failure.
    ~File();

    [[nodiscard]] const std::string& path() const noexcept { return path_; }

    /// Appends some of `data` with one write, at least one byte unless it fails; retried when
    /// interrupted.
    Result<std::size_t> writeSome(std::string_view data);
    /// Where the file ends now.
    Result<std::uint64_t> size();
    /// Cuts the file to `size` bytes.
    Result<void> truncate(std::uint64_t size);
    /// Writes the file's data through to the disk.
    Result<void> synchronize();
    /// Closes the file now.
    Result<void> close();

    /// The operating system's handle, for other platform services (a file watch); -1 when
    /// closed.
    [[nodiscard]] int nativeHandle() const noexcept { return handle_; }

private:
    File(int handle, std::string path) noexcept : handle_(handle), path_(std::move(path)) {}

    int handle_ = -1;
    std::string path_;
};

} // namespace tavrel::platform
