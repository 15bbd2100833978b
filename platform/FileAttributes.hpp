// What the file system says about one file: type, size and dates (creation date included).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tavrel::platform {

struct FileAttributes {
    using Clock = std::chrono::system_clock;

    enum class Type { regular, directory, symbolicLink, other };

    Type type = Type::other;
    std::uint64_t size = 0;
    /// When the file was made; none where the file system keeps no birth time.
    std::optional<Clock::time_point> creationDate;
    Clock::time_point modificationDate;

    /// The attributes of the file at `path`, not following a final symbolic link; none when
    /// they cannot be read, with the error number in `error` when given.
    static std::optional<FileAttributes> read(const std::string& path, int* error = nullptr);
};

} // namespace tavrel::platform
