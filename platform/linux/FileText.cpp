// Replacing small text files through plain system calls.
#include "platform/linux/FileText.hpp"

#include "platform/linux/Descriptor.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace tavrel::platform::linux_files {

Result<void> replaceText(const std::string& path, std::string_view text) {
    std::string temporary = path + ".tavrel-XXXXXX";
    Descriptor file(mkostemp(temporary.data(), O_CLOEXEC));
    if (!file) {
        return FileError(errno, path, FileError::Operation::change);
    }
    const auto fail = [&](int code) {
        file.reset();
        unlink(temporary.c_str());
        return FileError(code, path, FileError::Operation::change);
    };
    while (!text.empty()) {
        const ssize_t count = write(file.get(), text.data(), text.size());
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return fail(errno);
        }
        text.remove_prefix(static_cast<std::size_t>(count));
    }
    if (fchmod(file.get(), 0644) != 0 || fsync(file.get()) != 0) {
        return fail(errno);
    }
    file.reset();
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        const int code = errno;
        unlink(temporary.c_str());
        return FileError(code, path, FileError::Operation::change);
    }
    return {};
}

} // namespace tavrel::platform::linux_files
