// The file logger: writes each record as one line into the current log file, and rolls to a
// new file by size, by age, and when the file is deleted or moved away.
#pragma once

#include "logging/AbstractLogger.hpp"
#include "logging/LogFileFormatterDefault.hpp"
#include "logging/LogFileInfo.hpp"
#include "logging/LogFileManager.hpp"
#include "logging/detail/OneShotTimer.hpp"
#include "platform/File.hpp"
#include "platform/FileWatch.hpp"

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>

namespace tavrel::logging {

class FileLogger final : public AbstractLogger, public std::enable_shared_from_this<FileLogger> {
public:
    static constexpr double kDefaultRollingFrequency = 86400.0;
    static constexpr std::uint64_t kDefaultMaximumFileSize = std::uint64_t{1024} * 1024;

    /// A file logger writing into the files of `manager`, with the default settings. No file is
    /// opened until a line or a setting needs one.
    static std::shared_ptr<FileLogger> make(std::shared_ptr<LogFileManager> manager);

    /// Synchronises and closes the open file, without marking it archived. Must not run on the
    /// logger's own queue.
    ~FileLogger() override;

    FileLogger(const FileLogger&) = delete;
    FileLogger& operator=(const FileLogger&) = delete;

    [[nodiscard]] LogFileManager& logFileManager() const noexcept { return *logFileManager_; }

    /// Seconds after a file's creation at which it is rolled; 0 or less: never by age. The
    /// getter waits for the value; the setter returns at once and takes effect in order with
    /// the records dispatched before it, opening the current file if none is open. Neither may
    /// be called from the logging queue or this logger's queue.
    [[nodiscard]] double rollingFrequency();
    void setRollingFrequency(double seconds);

    /// Size in bytes at which a file is rolled after the line that reaches it; 0: never by
    /// size. Same rules as the rolling frequency.
    [[nodiscard]] std::uint64_t maximumFileSize();
    void setMaximumFileSize(std::uint64_t bytes);

    /// Writes the record as one line at the end of the current file; when it returns, the line
    /// has been handed to the operating system. Runs on the logger's queue.
    void logMessage(const LogMessage& message) override;

    [[nodiscard]] bool offersFlush() const override { return true; }
    /// Synchronises the current file to disk; from off the queue, after the records already
    /// dispatched.
    void flush() override;

private:
    FileLogger(std::shared_ptr<LogFileManager> manager,
               std::unique_ptr<LogFileFormatterDefault> formatter);

    // Internal work; every lt_ method runs on the logger's queue.
    void lt_logData(const std::string& data);
    platform::File* lt_currentLogFileHandle();
    void lt_chooseCurrentLogFile();
    bool lt_shouldUseLogFile(const LogFileInfo& info, bool resuming);
    bool lt_shouldLogFileBeArchived(const LogFileInfo& info) const;
    void lt_scheduleTimerToRollLogFileDueToAge();
    void lt_maybeRollLogFileDueToAge();
    void lt_maybeRollLogFileDueToSize();
    void lt_monitorCurrentLogFileForExternalChanges();
    void lt_rollLogFileNow();
    void lt_flush();

    void assertCanAccessSettings() const;
    template <class Apply>
    void applySetting(Apply apply);

    std::shared_ptr<LogFileManager> logFileManager_;
    LogFileFormatterDefault* formatter_; // owned by the base, fixed for the logger's life
    std::optional<LogFileInfo> currentLogFileInfo_;
    std::optional<platform::File> currentLogFile_;
    std::unique_ptr<platform::FileWatch> currentLogFileVnode_;
    double rollingFrequency_ = kDefaultRollingFrequency;
    std::unique_ptr<OneShotTimer> rollingTimer_;
    std::uint64_t maximumFileSize_ = kDefaultMaximumFileSize;
    bool doNotReuseLogFiles_ = false;
    bool automaticallyAppendNewlineForCustomFormatters_ = true;

    std::set<std::string> unusableLogFiles_; // passed over for the rest of the logger's life
    std::uint64_t fileGeneration_ = 0; // tells events of an earlier file from the current one's
    std::uint64_t fileEnd_ = 0;        // where the next line starts, as last seen
    std::string line_;                 // reused for every line
};

} // namespace tavrel::logging
