// File attributes on Linux through statx, whose birth time is the creation date.
#include "platform/FileAttributes.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace tavrel::platform {

namespace {

FileAttributes::Clock::time_point timePoint(const struct statx_timestamp& stamp) {
    using namespace std::chrono;
    return FileAttributes::Clock::time_point(duration_cast<FileAttributes::Clock::duration>(
        seconds(stamp.tv_sec) + nanoseconds(stamp.tv_nsec)));
}

} // namespace

Result<FileAttributes> FileAttributes::read(const std::string& path) {
    struct statx status {};
    if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW,
              STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_BTIME, &status) != 0) {
        return FileError(errno, path, FileError::Operation::inspect);
    }
    FileAttributes attributes;
    const mode_t type = status.stx_mode & S_IFMT;
    attributes.type = type == S_IFREG   ? Type::regular
                      : type == S_IFDIR ? Type::directory
                      : type == S_IFLNK ? Type::symbolicLink
                                        : Type::other;
    attributes.size = status.stx_size;
    attributes.modificationDate = timePoint(status.stx_mtime);
    if ((status.stx_mask & STATX_BTIME) != 0) {
        attributes.creationDate = timePoint(status.stx_btime);
    }
    return attributes;
}

} // namespace tavrel::platform
