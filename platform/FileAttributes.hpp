// What the file system says about one file: type, size and dates (creation date included).
#pragma once

#include "platform/Result.hpp"

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

    /// The attributes of the file at `path`, not following a final symbolic link.
    static Result<FileAttributes> read(const std::string& path);
};

} // namespace tavrel::platform
