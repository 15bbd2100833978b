// The protocol between the file logger and the manager of its log folder.
#pragma once

#include "logging/LogFileInfo.hpp"
#include "platform/Result.hpp"

#include <optional>
#include <string>
#include <vector>

namespace tavrel::logging {

class LogFileManager {
public:
    virtual ~LogFileManager() = default;

    /// The log set, newest first. Reads the folder afresh on every call.
    [[nodiscard]] virtual std::vector<LogFileInfo> sortedLogFileInfos() = 0;

    /// Creates a new, empty log file that did not exist before and returns its path; fails
    /// with the last error when no file could be made.
    virtual platform::Result<std::string> createNewLogFile() = 0;

protected:
    LogFileManager() = default;
    LogFileManager(const LogFileManager&) = default;
    LogFileManager& operator=(const LogFileManager&) = default;
};

} // namespace tavrel::logging
