// Extended attributes on Linux: the user name space, and the write-permission mark on file
// systems that refuse user attributes (ramfs, some network and FAT mounts).
#include "platform/ExtendedAttributes.hpp"

#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <vector>

namespace tavrel::platform {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

std::string userName(std::string_view name) {
    std::string full = "user.";
    full.append(name);
    return full;
}

bool refusesAttributes(int error) noexcept {
    return error == ENOTSUP || error == EOPNOTSUPP;
}

// The fallback mark: a file nobody may write. An archived log file is never written again, so
// taking the write bits away says the same thing, and it survives renames and restarts.
int markedState(const std::string& path, bool& marked) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        return errno;
    }
    marked = (status.st_mode & kWriteBits) == 0;
    return 0;
}

int changeMode(const std::string& path, bool mark) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        return errno;
    }
    if (S_ISLNK(status.st_mode)) {
        return ENOTSUP; // a link's own mode cannot be changed on Linux
    }
    const mode_t mode = mark ? (status.st_mode & ~kWriteBits) : (status.st_mode | S_IWUSR);
    return chmod(path.c_str(), mode & 07777) == 0 ? 0 : errno;
}

} // namespace

ExtendedAttributes::Read ExtendedAttributes::read(const std::string& path, std::string_view name,
                                                  std::size_t maxLength) {
    Read result;
    std::vector<char> buffer(maxLength == 0 ? 1 : maxLength);
    const std::string fullName = userName(name);
    ssize_t length = lgetxattr(path.c_str(), fullName.c_str(), buffer.data(), maxLength);
    if (length < 0 && errno == ERANGE) {
        // Longer than asked for: only the first bytes matter to the caller.
        const ssize_t whole = lgetxattr(path.c_str(), fullName.c_str(), nullptr, 0);
        if (whole > 0) {
            std::vector<char> all(static_cast<std::size_t>(whole));
            length = lgetxattr(path.c_str(), fullName.c_str(), all.data(), all.size());
            if (length >= 0) {
                result.value.assign(all.data(), std::min<std::size_t>(length, maxLength));
                return result;
            }
        }
    }
    if (length < 0) {
        result.error = errno;
        if (refusesAttributes(result.error)) {
            bool marked = false;
            result.error = markedState(path, marked);
            if (result.error == 0 && marked) {
                result.value.assign(1, '\x01');
            } else if (result.error == 0) {
                result.error = ENODATA;
            }
        }
        return result;
    }
    result.value.assign(buffer.data(), static_cast<std::size_t>(length));
    return result;
}

int ExtendedAttributes::write(const std::string& path, std::string_view name,
                              std::string_view value) {
    const std::string fullName = userName(name);
    if (lsetxattr(path.c_str(), fullName.c_str(), value.data(), value.size(), 0) == 0) {
        return 0;
    }
    const int error = errno;
    return refusesAttributes(error) ? changeMode(path, true) : error;
}

int ExtendedAttributes::remove(const std::string& path, std::string_view name) {
    const std::string fullName = userName(name);
    if (lremovexattr(path.c_str(), fullName.c_str()) == 0) {
        return 0;
    }
    const int error = errno;
    if (!refusesAttributes(error)) {
        return error;
    }
    bool marked = false;
    if (const int stateError = markedState(path, marked); stateError != 0) {
        return stateError;
    }
    return marked ? changeMode(path, false) : ENODATA;
}

bool ExtendedAttributes::isAbsent(int error) noexcept {
    return error == ENODATA;
}

bool ExtendedAttributes::isMissingFile(int error) noexcept {
    return error == ENOENT;
}

} // namespace tavrel::platform
