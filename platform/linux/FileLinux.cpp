// Files for appending, through plain system calls.
#include "platform/File.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tavrel::platform {

Result<File> File::openForAppending(const std::string& path) {
    const int handle =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (handle < 0) {
        return FileError(errno, path, FileError::Operation::change);
    }
    File file(handle, path);
    struct stat status {};
    if (fstat(handle, &status) != 0) {
        return FileError(errno, path, FileError::Operation::change);
    }
    if (!S_ISREG(status.st_mode)) {
        return FileError(S_ISDIR(status.st_mode) ? EISDIR : EINVAL, path,
                         FileError::Operation::change);
    }
    return file;
}

Result<void> File::createNew(const std::string& path) {
    const int handle = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (handle < 0) {
        return FileError(errno, path, FileError::Operation::create);
    }
    ::close(handle);
    return {};
}

File::File(File&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), path_(std::move(other.path_)) {}

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        (void)close();
        handle_ = std::exchange(other.handle_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

File::~File() {
    (void)close();
}

Result<std::size_t> File::writeSome(std::string_view data) {
    for (;;) {
        const ssize_t count = ::write(handle_, data.data(), data.size());
        if (count >= 0) {
            return static_cast<std::size_t>(count);
        }
        if (errno != EINTR) {
            return FileError(errno, path_, FileError::Operation::change);
        }
    }
}

Result<std::uint64_t> File::size() {
    const off_t end = lseek(handle_, 0, SEEK_END);
    if (end < 0) {
        return FileError(errno, path_, FileError::Operation::inspect);
    }
    return static_cast<std::uint64_t>(end);
}

Result<void> File::truncate(std::uint64_t size) {
    if (ftruncate(handle_, static_cast<off_t>(size)) != 0) {
        return FileError(errno, path_, FileError::Operation::change);
    }
    return {};
}

Result<void> File::synchronize() {
    if (fsync(handle_) != 0) {
        return FileError(errno, path_, FileError::Operation::change);
    }
    return {};
}

Result<void> File::close() {
    if (handle_ < 0) {
        return {};
    }
    // The descriptor is released whatever close() answers; retrying could close another file.
    if (::close(std::exchange(handle_, -1)) != 0) {
        return FileError(errno, path_, FileError::Operation::change);
    }
    return {};
}

} // namespace tavrel::platform
