// Reading a file whose path or content someone else may have chosen (a link to a device, a FIFO,
// a huge sparse file): the one way the platform layer reads such a file.
#pragma once

#include "platform/Result.hpp"

#include <cstddef>
#include <string>

namespace tavrel::platform {

class UntrustedFile {
public:
    /// What the file is meant to be; it sets how large the file may be.
    enum class Kind {
        desktopEntry,  // an autostart entry
        propertyList,  // a bundle's Info.plist
        stringsTable,  // a table of localized texts
        systemRelease, // the operating system's release file
        processStatus, // what the system says of one process
    };

    /// The largest file of that kind that is read: many times the largest real one, so that only
    /// a file that was never of that kind is refused.
    static constexpr std::size_t sizeLimit(Kind kind) noexcept {
        switch (kind) {
        case Kind::desktopEntry:
            return std::size_t{1} << 20;
        case Kind::propertyList:
        case Kind::stringsTable:
            return std::size_t{8} << 20;
        case Kind::systemRelease:
        case Kind::processStatus:
            break;
        }
        return std::size_t{64} << 10;
    }

    /// The whole content of the regular file at `path`, following symbolic links. Never waits
    /// for a writer and never reads more than sizeLimit(kind). Fails, naming `path`, when the file
    /// is missing (ENOENT, also for a dangling link), a folder (EISDIR), anything else that is not
    /// a regular file (EINVAL, "Not a regular file"), larger than the limit (EFBIG, "Too large
    /// to read"), or cannot be read.
    static Result<std::string> read(const std::string& path, Kind kind);
};

} // namespace tavrel::platform
