// Untrusted files on Linux: looked at before they are opened, opened without waiting and without
// becoming a terminal of ours, looked at again once open, and read no further than the limit.
#include "platform/UntrustedFile.hpp"
#include "platform/linux/Descriptor.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>

namespace tavrel::platform {

namespace {

FileError refusal(const std::string& path, int code, std::string reason = {}) {
    return FileError(code, path, FileError::Operation::inspect, std::move(reason));
}

FileError tooLarge(const std::string& path, std::size_t limit) {
    constexpr std::size_t kMebibyte = std::size_t{1} << 20;
    const std::string size = limit % kMebibyte == 0 ? std::to_string(limit / kMebibyte) + " MiB"
                                                    : std::to_string(limit >> 10) + " KiB";
    return refusal(path, EFBIG, "Too large to read (over " + size + ")");
}

// Why the file with that status is not read; none when it is a regular file within the limit.
std::optional<FileError> refused(const std::string& path, const struct stat& status,
                                 std::size_t limit) {
    if (S_ISDIR(status.st_mode)) {
        return refusal(path, EISDIR);
    }
    if (!S_ISREG(status.st_mode)) {
        return refusal(path, EINVAL, "Not a regular file");
    }
    if (static_cast<std::uintmax_t>(status.st_size) > limit) {
        return tooLarge(path, limit);
    }
    return std::nullopt;
}

} // namespace

Result<std::string> UntrustedFile::read(const std::string& path, Kind kind) {
    const std::size_t limit = sizeLimit(kind);
    struct stat status {};
    // Before opening: opening a device or a FIFO can have effects of its own, or wait.
    if (stat(path.c_str(), &status) != 0) {
        return refusal(path, errno);
    }
    if (auto refusedBefore = refused(path, status, limit)) {
        return *refusedBefore;
    }
    const linux_files::Descriptor file(
        open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file) {
        return refusal(path, errno);
    }
    // Again once open, since something else may have been put there meanwhile.
    if (fstat(file.get(), &status) != 0) {
        return refusal(path, errno);
    }
    if (auto refusedOpen = refused(path, status, limit)) {
        return *refusedOpen;
    }
    // A file may grow while it is read, and a system file reports no size: the limit holds for
    // what is read, one byte past it telling that there was more.
    std::string text;
    std::array<char, 16384> buffer{};
    while (text.size() <= limit) {
        const std::size_t wanted = std::min(buffer.size(), limit + 1 - text.size());
        const ssize_t count = ::read(file.get(), buffer.data(), wanted);
        if (count == 0) {
            return text;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return refusal(path, errno);
        }
        text.append(buffer.data(), static_cast<std::size_t>(count));
    }
    return tooLarge(path, limit);
}

} // namespace tavrel::platform
