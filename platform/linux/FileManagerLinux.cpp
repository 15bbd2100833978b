// File manager on Linux: fstatat tests, and deletion by an openat/unlinkat walk that never
// follows a symbolic link, holds a descriptor for every folder it is inside, and uses no
// recursion, so neither a swapped-in link nor a very deep tree can lead it astray.
#include "platform/FileManager.hpp"
#include "platform/linux/Descriptor.hpp"
#include "platform/linux/DirectoryStream.hpp"

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavrel::platform {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

bool isDotOrDotDot(const char* name) noexcept {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

using linux_files::Descriptor;
using linux_files::DirectoryStream;

// One folder being emptied: its open stream and its name in the folder above.
struct Frame {
    DirectoryStream stream;
    std::string name;
    bool failed = false;    // something inside it could not be deleted
    bool rescanned = false; // it was read a second time after a non-empty removal
};

class TreeRemover {
public:
    TreeRemover(const std::string& topPath, int topParent)
        : topPath_(topPath), topParent_(topParent) {}
    TreeRemover(const TreeRemover&) = delete;
    TreeRemover& operator=(const TreeRemover&) = delete;
    ~TreeRemover() = default;

    /// Empties and removes the folder `name` of the top parent. Returns the first error.
    std::optional<FileError> run(const std::string& name) {
        if (!enter(topParent_, name.c_str())) {
            return std::move(firstError_);
        }
        while (!frames_.empty()) {
            step();
        }
        return std::move(firstError_);
    }

private:
    [[nodiscard]] int folderDescriptor(std::size_t index) const noexcept {
        return frames_[index].stream.descriptor();
    }

    // Opens the folder `name` inside `parent` without following a link and pushes it. When the
    // name turned out to be a link or a file (swapped in since it was read), removes that instead.
    bool enter(int parent, const char* name) {
        const int descriptor = openat(parent, name, kFolderFlags);
        if (descriptor < 0) {
            const int code = errno;
            if (code == ENOENT) {
                return false;
            }
            if (code == ENOTDIR || code == ELOOP) {
                if (unlinkat(parent, name, 0) == 0 || errno == ENOENT) {
                    return false;
                }
                fail(errno, name);
                return false;
            }
            fail(code, name);
            return false;
        }
        DirectoryStream stream(fdopendir(descriptor));
        if (!stream) {
            const int code = errno;
            close(descriptor);
            fail(code, name);
            return false;
        }
        frames_.push_back(Frame{std::move(stream), name});
        return true;
    }

    void step() {
        Frame& frame = frames_.back();
        const int folder = frame.stream.descriptor();
        errno = 0;
        if (const dirent* entry = readdir(frame.stream.get()); entry != nullptr) {
            const char* name = entry->d_name;
            if (isDotOrDotDot(name)) {
                return;
            }
            // d_type spares a stat per entry; unlinkat itself tells a folder by EISDIR.
            if (entry->d_type != DT_DIR) {
                if (unlinkat(folder, name, 0) == 0 || errno == ENOENT) {
                    return;
                }
                if (errno != EISDIR) {
                    fail(errno, name);
                    return;
                }
            }
            enter(folder, name); // may invalidate `frame`
            return;
        }
        if (errno != 0) {
            fail(errno, nullptr);
        }
        leave();
    }

    // The folder on top has been read to its end: remove it from the folder above.
    void leave() {
        Frame& frame = frames_.back();
        const int parent = frames_.size() >= 2 ? folderDescriptor(frames_.size() - 2) : topParent_;
        if (unlinkat(parent, frame.name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT) {
            pop(false);
            return;
        }
        const int code = errno;
        // An entry created or renamed in while we read: read the folder once more.
        if (code == ENOTEMPTY && !frame.failed && !frame.rescanned) {
            frame.rescanned = true;
            rewinddir(frame.stream.get());
            return;
        }
        if (!frame.failed) {
            fail(code, nullptr);
        }
        pop(true);
    }

    void pop(bool failed) {
        frames_.pop_back();
        if (failed && !frames_.empty()) {
            frames_.back().failed = true;
        }
    }

    // Records the error of `entry` inside the folder on top (or of that folder itself when
    // `entry` is null); only the first one is kept, the paths are built only then.
    void fail(int code, const char* entry) {
        if (!frames_.empty()) {
            frames_.back().failed = true;
        }
        if (firstError_) {
            return;
        }
        std::string path = topPath_;
        for (std::size_t index = 1; index < frames_.size(); ++index) {
            path += '/';
            path += frames_[index].name;
        }
        if (entry != nullptr && !frames_.empty()) {
            path += '/';
            path += entry;
        }
        firstError_.emplace(code, std::move(path));
    }

    const std::string& topPath_;
    int topParent_;
    std::vector<Frame> frames_;
    std::optional<FileError> firstError_;
};

// The path of `name` (none: of the folder itself) inside the folders `names` below `top`.
std::string pathInside(const std::string& top, const std::vector<std::string>& names,
                       const char* name) {
    std::string path = top;
    for (const std::string& folder : names) {
        path += '/';
        path += folder;
    }
    if (name != nullptr) {
        path += '/';
        path += name;
    }
    return path;
}

} // namespace

Result<FileManager::Size> FileManager::measure(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) != 0) {
        return FileError(errno, path, FileError::Operation::inspect);
    }
    if (!S_ISDIR(status.st_mode)) {
        return Size{static_cast<std::uint64_t>(status.st_size), 1};
    }
    Size size;
    // Like the deletion walk: one open folder per level, no recursion, never through a link.
    std::vector<DirectoryStream> folders;
    std::vector<std::string> names; // of the folders below the top one, for errors
    const auto enter = [&](int parent, const char* name) -> std::optional<FileError> {
        const int descriptor = openat(parent, name, kFolderFlags);
        DirectoryStream stream(descriptor >= 0 ? fdopendir(descriptor) : nullptr);
        if (!stream) {
            const int code = errno;
            if (descriptor >= 0) {
                close(descriptor);
            }
            return FileError(code, pathInside(path, names, parent == AT_FDCWD ? nullptr : name),
                             FileError::Operation::inspect);
        }
        folders.push_back(std::move(stream));
        return std::nullopt;
    };
    if (auto error = enter(AT_FDCWD, path.c_str())) {
        return std::move(*error);
    }
    while (!folders.empty()) {
        const int folder = folders.back().descriptor();
        errno = 0;
        const dirent* entry = readdir(folders.back().get());
        if (entry == nullptr) {
            if (errno != 0) {
                return FileError(errno, pathInside(path, names, nullptr),
                                 FileError::Operation::inspect);
            }
            folders.pop_back();
            if (!names.empty()) {
                names.pop_back();
            }
            continue;
        }
        const char* name = entry->d_name;
        if (isDotOrDotDot(name)) {
            continue;
        }
        if (entry->d_type != DT_DIR) {
            if (fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT) {
                    continue; // gone meanwhile
                }
                return FileError(errno, pathInside(path, names, name),
                                 FileError::Operation::inspect);
            }
            if (!S_ISDIR(status.st_mode)) {
                size.bytes += static_cast<std::uint64_t>(status.st_size);
                ++size.files;
                continue;
            }
        }
        if (auto error = enter(folder, name)) {
            if (error->code() == ENOENT) {
                continue;
            }
            return std::move(*error);
        }
        names.emplace_back(name);
    }
    return size;
}

Result<FileManager::Item> FileManager::itemAt(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        return Item{true, S_ISDIR(status.st_mode)};
    }
    const int code = errno;
    // Nothing there, or a link that leads nowhere: both count as missing.
    if (code == ENOENT || code == ENOTDIR || code == ELOOP) {
        return Item{};
    }
    return FileError(code, path, FileError::Operation::inspect);
}

Result<void> FileManager::removeItem(const std::string& path) {
    std::string_view trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.remove_suffix(1);
    }
    if (trimmed.empty()) {
        return FileError(ENOENT, path);
    }
    const auto slash = trimmed.rfind('/');
    const std::string name(slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1));
    if (name.empty() || name == "." || name == "..") {
        // Removing the root or a folder through a dot name is never meant.
        return FileError(EINVAL, path);
    }
    std::string parentPath = ".";
    if (slash != std::string_view::npos) {
        parentPath = slash == 0 ? "/" : std::string(trimmed.substr(0, slash));
    }
    const Descriptor parent(open(parentPath.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (parent.get() < 0) {
        return FileError(errno, path);
    }
    if (unlinkat(parent.get(), name.c_str(), 0) == 0) {
        return {};
    }
    if (errno != EISDIR) {
        return FileError(errno, path);
    }
    TreeRemover remover(path, parent.get());
    if (auto error = remover.run(name)) {
        return std::move(*error);
    }
    return {};
}

} // namespace tavrel::platform
