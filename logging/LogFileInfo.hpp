// One log file on disk: its path, name, attributes, dates, size and archived mark.
#pragma once

#include "platform/FileAttributes.hpp"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace tavrel::logging {

class LogFileInfo {
public:
    using Clock = std::chrono::system_clock;

    /// The name of the archived mark, without the platform's name-space prefix.
    static constexpr const char* kArchivedAttributeName = "log.archived";

    /// The info of the file at `path`; none when nothing is there.
    static std::optional<LogFileInfo> logFileWithPath(const std::string& path);

    /// The info of `filePath` (must not be empty: a programming error). Attributes are read on
    /// first use and kept.
    explicit LogFileInfo(std::string filePath);

    [[nodiscard]] const std::string& filePath() const noexcept { return filePath_; }
    /// The last path component.
    [[nodiscard]] const std::string& fileName() const;
    /// The attributes as first read; none when they could not be read (reported once).
    [[nodiscard]] const std::optional<platform::FileAttributes>& fileAttributes() const;
    /// The creation date. Where the file system keeps no birth time: the timestamp in the
    /// file's name when it has one (log files are named when they are made), else the
    /// modification date. The epoch when there are no attributes.
    [[nodiscard]] Clock::time_point creationDate() const;
    [[nodiscard]] Clock::time_point modificationDate() const;
    /// Size in bytes as first read; 0 counts as not yet read and is read again.
    [[nodiscard]] std::uint64_t fileSize() const;
    /// Seconds since the creation date; positive for a file made in the past.
    [[nodiscard]] double age() const;
    [[nodiscard]] bool isSymlink() const;

    /// Reads the mark from the file on every call. A mark with another value than the single
    /// byte 1 counts as archived and is rewritten as 1.
    [[nodiscard]] bool isArchived() const;
    /// Writes or removes the mark; failures go to the system log (not a missing file when
    /// setting, nor an absent mark when clearing).
    void setIsArchived(bool archived) const;

    friend bool operator==(const LogFileInfo& lhs, const LogFileInfo& rhs) noexcept {
        return lhs.filePath_ == rhs.filePath_;
    }
    [[nodiscard]] std::size_t hash() const noexcept;

private:
    std::string filePath_;
    mutable std::optional<std::string> fileName_;
    mutable std::optional<std::optional<platform::FileAttributes>> fileAttributes_;
    mutable std::uint64_t fileSize_ = 0;
};

} // namespace tavrel::logging
