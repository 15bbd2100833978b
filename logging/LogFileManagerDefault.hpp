// The manager of a log folder: makes the folder, names and creates new log files, lists and
// orders the log set, and prunes it by count and disk quota.
#pragma once

#include "logging/LogFileManager.hpp"
#include "logging/detail/SerialQueue.hpp"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace tavrel::logging {

class LogFileManagerDefault final : public LogFileManager {
public:
    static constexpr unsigned long kDefaultMaximumNumberOfLogFiles = 5;
    static constexpr std::uint64_t kDefaultLogFilesDiskQuota = std::uint64_t{20} * 1024 * 1024;

    /// The manager of `logsDirectory`; an empty path selects the default folder
    /// (~/Library/Logs/<process name>, or <temporary folder>/Logs/<process name> without a
    /// usable home folder). Creates nothing yet.
    explicit LogFileManagerDefault(std::string logsDirectory = {});

    /// The folder path, after making sure the folder exists (a failure is reported to the
    /// system log, and the path is returned all the same).
    std::string logsDirectory();

    [[nodiscard]] unsigned long maximumNumberOfLogFiles() const noexcept;
    /// 0 means no limit. A changed value starts a pruning pass in the background.
    void setMaximumNumberOfLogFiles(unsigned long maximum);
    [[nodiscard]] std::uint64_t logFilesDiskQuota() const noexcept;
    /// In bytes; 0 means no limit. A changed value starts a pruning pass in the background.
    void setLogFilesDiskQuota(std::uint64_t quota);

    /// The log set (names that begin with the application name and a space and end in ".log"),
    /// in folder order; an unreadable folder gives none.
    std::vector<std::string> unsortedLogFilePaths();
    std::vector<std::string> unsortedLogFileNames();
    std::vector<LogFileInfo> unsortedLogFileInfos();
    /// The same, newest first: by the name's timestamp, else by creation date.
    std::vector<std::string> sortedLogFilePaths();
    std::vector<std::string> sortedLogFileNames();
    std::vector<LogFileInfo> sortedLogFileInfos() override;

    /// Creates "<application name> <UTC timestamp>.log" exclusively (" 2", " 3", ... before
    /// ".log" when the name is taken), then starts a pruning pass in the background.
    platform::Result<std::string> createNewLogFile() override;

    /// Deletes the oldest files beyond the maximum number and the disk quota, keeping the
    /// newest file when it is unarchived (it is the one being written).
    void deleteOldLogFiles();

    /// The application name that starts every log file's name: the bundle identifier, else the
    /// process name, else empty. Worked out once per process.
    static const std::string& applicationName();

    /// The serial queue on which background pruning passes run; sync on it to wait for them.
    static SerialQueue& backgroundQueue();

private:
    void startPruningInBackground();

    std::atomic<unsigned long> maximumNumberOfLogFiles_{kDefaultMaximumNumberOfLogFiles};
    std::atomic<std::uint64_t> logFilesDiskQuota_{kDefaultLogFilesDiskQuota};
    std::string logsDirectory_;
};

} // namespace tavrel::logging
