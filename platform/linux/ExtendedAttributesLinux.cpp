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

Result<std::string> ExtendedAttributes::read(const std::string& path, std::string_view name,
                                             std::size_t maxLength) {
    const auto fail = [&](int code) {
        return FileError(code, path, FileError::Operation::inspect);
    };
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
                return std::string(all.data(), std::min<std::size_t>(length, maxLength));
            }
        }
    }
    if (length >= 0) {
        return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    const int code = errno;
    if (!refusesAttributes(code)) {
        return fail(code);
    }
    bool marked = false;
    if (const int stateError = markedState(path, marked); stateError != 0) {
        return fail(stateError);
    }
    if (!marked) {
        return fail(ENODATA);
    }
    return std::string(1, '\x01');
}

Result<void> ExtendedAttributes::write(const std::string& path, std::string_view name,
                                       std::string_view value) {
    const std::string fullName = userName(name);
    if (lsetxattr(path.c_str(), fullName.c_str(), value.data(), value.size(), 0) == 0) {
        return {};
    }
    int code = errno;
    if (refusesAttributes(code)) {
        code = changeMode(path, true);
    }
    if (code != 0) {
        return FileError(code, path, FileError::Operation::change);
    }
    return {};
}

Result<void> ExtendedAttributes::remove(const std::string& path, std::string_view name) {
    const std::string fullName = userName(name);
    if (lremovexattr(path.c_str(), fullName.c_str()) == 0) {
        return {};
    }
    int code = errno;
    if (refusesAttributes(code)) {
        bool marked = false;
        code = markedState(path, marked);
        if (code == 0) {
            code = marked ? changeMode(path, false) : ENODATA;
        }
    }
    if (code != 0) {
        return FileError(code, path, FileError::Operation::change);
    }
    return {};
}

bool ExtendedAttributes::isAbsent(const FileError& error) noexcept {
    return error.code() == ENODATA;
}

bool ExtendedAttributes::isMissingFile(const FileError& error) noexcept {
    return error.code() == ENOENT;
}

} // namespace tavrel::platform
