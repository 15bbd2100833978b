// File logger. The current file is opened with O_APPEND, so every line lands at the end of the
// file without a seek and stays whole among other writers; the line is built in one reused
// buffer and handed over with one write(2). Timer and watch events hold only a weak reference
// to the logger and run on its queue.
#include "logging/FileLogger.hpp"

#include "logging/LogDispatcher.hpp"
#include "logging/detail/BackgroundQueue.hpp"
#include "logging/detail/LogAssert.hpp"
#include "platform/SystemLog.hpp"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tavrel::logging {

namespace {

constexpr const char* kOnLoggerQueue = "lt_ methods should be on logger queue.";
constexpr int kMaximumReportedExceptions = 10;

// Shared by all file loggers of the process.
std::atomic<int> reportedExceptions{0};

std::string describe(int error) {
    return std::string(std::strerror(error)) + " (errno " + std::to_string(error) + ")";
}

// Events and settings take a strong reference on the logger's queue; the last one must not be
// dropped there, since the logger's queue cannot stop itself. The logging queue drops it.
void releaseOffLoggerQueue(std::shared_ptr<FileLogger>&& logger) {
    LogDispatcher::loggingQueue().async([logger = std::move(logger)] { (void)logger; });
}

void syncAndClose(int handle) {
    if (fsync(handle) != 0) {
        platform::systemLog("FileLogger: Failed to synchronize file: " + describe(errno));
    }
    if (close(handle) != 0) {
        platform::systemLog("FileLogger: Failed to close file: " + describe(errno));
    }
}

} // namespace

std::shared_ptr<FileLogger> FileLogger::make(std::shared_ptr<LogFileManager> manager) {
    return std::shared_ptr<FileLogger>(
        new FileLogger(std::move(manager), std::make_unique<LogFileFormatterDefault>()));
}

FileLogger::FileLogger(std::shared_ptr<LogFileManager> manager,
                       std::unique_ptr<LogFileFormatterDefault> formatter)
    : AbstractLogger("logging.fileLogger", std::move(formatter)),
      logFileManager_(std::move(manager)),
      formatter_(static_cast<LogFileFormatterDefault*>(logFormatter())) {
    (void)doNotReuseLogFiles_;
}

FileLogger::~FileLogger() {
    rollingTimer_.reset();
    currentLogFileVnode_.reset();
    if (currentLogFileHandle_ >= 0) {
        syncAndClose(currentLogFileHandle_);
    }
}

// ---- settings ----

void FileLogger::assertCanAccessSettings() const {
    TAVREL_ASSERT(!isOnGlobalLoggingQueue(), "Core architecture requirement failure");
    TAVREL_ASSERT(!isOnInternalLoggerQueue(), "MUST access ivar directly, NOT via self.* syntax.");
}

template <class Apply>
void FileLogger::applySetting(Apply apply) {
    assertCanAccessSettings();
    // Through the logging queue first, so the change takes effect after the records already
    // dispatched; the logger itself only on its own queue.
    LogDispatcher::loggingQueue().async([weak = weak_from_this(), apply] {
        const auto self = weak.lock();
        if (!self) {
            return;
        }
        self->loggerQueue()->async([weak, apply] {
            auto logger = weak.lock();
            if (!logger) {
                return;
            }
            apply(*logger);
            releaseOffLoggerQueue(std::move(logger));
        });
    });
}

double FileLogger::rollingFrequency() {
    assertCanAccessSettings();
    double value = 0;
    LogDispatcher::loggingQueue().sync(
        [&] { loggerQueue()->sync([&] { value = rollingFrequency_; }); });
    return value;
}

void FileLogger::setRollingFrequency(double seconds) {
    applySetting([seconds](FileLogger& logger) {
        logger.rollingFrequency_ = seconds;
        if (logger.lt_currentLogFileHandle() >= 0) {
            logger.lt_maybeRollLogFileDueToAge();
        }
    });
}

std::uint64_t FileLogger::maximumFileSize() {
    assertCanAccessSettings();
    std::uint64_t value = 0;
    LogDispatcher::loggingQueue().sync(
        [&] { loggerQueue()->sync([&] { value = maximumFileSize_; }); });
    return value;
}

void FileLogger::setMaximumFileSize(std::uint64_t bytes) {
    applySetting([bytes](FileLogger& logger) {
        logger.maximumFileSize_ = bytes;
        if (logger.lt_currentLogFileHandle() >= 0) {
            logger.lt_maybeRollLogFileDueToSize();
        }
    });
}

// ---- writing ----

void FileLogger::logMessage(const LogMessage& message) {
    TAVREL_ASSERT(isOnInternalLoggerQueue(),
                  "logMessage should only be executed on internal queue.");
    try {
        line_.clear();
        formatter_->appendFormatted(message, line_);
        if (line_.empty()) {
            return;
        }
        if (line_.back() != '\n' && automaticallyAppendNewlineForCustomFormatters_) {
            line_.push_back('\n');
        }
        lt_logData(line_);
    } catch (const std::exception& error) {
        const int count = ++reportedExceptions;
        if (count <= kMaximumReportedExceptions) {
            platform::systemLog(std::string("FileLogger.logMessage: ") + error.what());
        }
        if (count == kMaximumReportedExceptions) {
            platform::systemLog(
                "FileLogger.logMessage: Too many exceptions -- will not log any more of them.");
        }
    }
}

void FileLogger::lt_logData(const std::string& data) {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    const int handle = lt_currentLogFileHandle();
    if (handle < 0) {
        // No file: the line is lost; the next line tries again.
        platform::systemLog("FileLogger: Failed to seek to end of file: (null)");
        platform::systemLog("FileLogger: Failed to write data: (null)");
        return;
    }
    std::size_t written = 0;
    while (written < data.size()) {
        const ssize_t count = ::write(handle, data.data() + written, data.size() - written);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            platform::systemLog("FileLogger: Failed to write data: " + describe(error));
            if (written > 0) {
                // Take a torn line back out, unless someone else has appended since.
                const off_t end = lseek(handle, 0, SEEK_END);
                if (end >= 0 && end - static_cast<off_t>(written) == fileEnd_) {
                    (void)ftruncate(handle, fileEnd_);
                }
            }
            break;
        }
        written += static_cast<std::size_t>(count);
    }
    if (written == data.size()) {
        // The handle appends, so after a whole line its offset is the old end plus the line:
        // known without asking the kernel, which would double the system calls per line.
        fileEnd_ += static_cast<std::int64_t>(written);
    } else {
        const off_t offset = lseek(handle, 0, SEEK_END);
        if (offset < 0) {
            platform::systemLog("FileLogger: Failed to get offset: " + describe(errno));
            return;
        }
        fileEnd_ = offset;
    }
    lt_maybeRollLogFileDueToSize();
}

void FileLogger::lt_maybeRollLogFileDueToSize() {
    if (maximumFileSize_ > 0 && static_cast<std::uint64_t>(fileEnd_) >= maximumFileSize_) {
        lt_rollLogFileNow();
    }
}

// ---- the current file ----

int FileLogger::lt_currentLogFileHandle() {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    if (currentLogFileHandle_ >= 0) {
        return currentLogFileHandle_;
    }
    lt_chooseCurrentLogFile();
    if (!currentLogFileInfo_) {
        return -1;
    }
    const int handle =
        open(currentLogFileInfo_->filePath().c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (handle < 0) {
        // Gone or unwritable since it was chosen: choose afresh for the next line.
        currentLogFileInfo_.reset();
        return -1;
    }
    const off_t end = lseek(handle, 0, SEEK_END);
    if (end < 0) {
        platform::systemLog("FileLogger: Failed to seek to end of file: " + describe(errno));
    }
    fileEnd_ = end < 0 ? 0 : end;
    currentLogFileHandle_ = handle;
    ++fileGeneration_;
    lt_scheduleTimerToRollLogFileDueToAge();
    lt_monitorCurrentLogFileForExternalChanges();
    return handle;
}

void FileLogger::lt_chooseCurrentLogFile() {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    if (currentLogFileInfo_ && lt_shouldUseLogFile(*currentLogFileInfo_, false)) {
        return;
    }
    currentLogFileInfo_.reset();
    std::vector<LogFileInfo> infos = logFileManager_->sortedLogFileInfos();
    if (!infos.empty() && lt_shouldUseLogFile(infos.front(), true)) {
        currentLogFileInfo_ = std::move(infos.front());
        return;
    }
    std::string error;
    const auto path = logFileManager_->createNewLogFile(&error);
    if (!path) {
        platform::systemLog("FileLogger: Failed to create new log file: " + error);
        return;
    }
    currentLogFileInfo_.emplace(*path);
}

bool FileLogger::lt_shouldUseLogFile(const LogFileInfo& info, bool resuming) {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    if (info.isArchived() || info.isSymlink()) {
        return false;
    }
    if (resuming && (doNotReuseLogFiles_ || lt_shouldLogFileBeArchived(info))) {
        info.setIsArchived(true);
        return false;
    }
    return true;
}

bool FileLogger::lt_shouldLogFileBeArchived(const LogFileInfo& info) const {
    return (maximumFileSize_ > 0 && info.fileSize() >= maximumFileSize_) ||
           (rollingFrequency_ > 0 && info.age() >= rollingFrequency_);
}

// ---- rolling ----

void FileLogger::lt_scheduleTimerToRollLogFileDueToAge() {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    rollingTimer_.reset();
    if (!currentLogFileInfo_ || rollingFrequency_ <= 0) {
        return;
    }
    const double untilRoll = std::chrono::duration<double>(currentLogFileInfo_->creationDate() -
                                                           OneShotTimer::Clock::now())
                                 .count() +
                             rollingFrequency_;
    rollingTimer_ =
        std::make_unique<OneShotTimer>(*loggerQueue(), OneShotTimer::deadlineAfter(untilRoll),
                                       weak_from_this(), [weak = weak_from_this()] {
                                           auto logger = weak.lock();
                                           if (!logger) {
                                               return;
                                           }
                                           logger->lt_maybeRollLogFileDueToAge();
                                           releaseOffLoggerQueue(std::move(logger));
                                       });
}

void FileLogger::lt_maybeRollLogFileDueToAge() {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    // A timer may fire up to a second early and still roll.
    if (rollingFrequency_ > 0 && currentLogFileInfo_ &&
        currentLogFileInfo_->age() + 1.0 >= rollingFrequency_) {
        lt_rollLogFileNow();
    } else {
        lt_scheduleTimerToRollLogFileDueToAge();
    }
}

void FileLogger::lt_monitorCurrentLogFileForExternalChanges() {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    currentLogFileVnode_.reset();
    SerialQueue* queue = loggerQueue();
    const std::uint64_t generation = fileGeneration_;
    int error = 0;
    currentLogFileVnode_ = platform::FileWatch::start(
        currentLogFileHandle_,
        [queue, weak = weak_from_this(), generation](platform::FileWatch::Event /*event*/) {
            queue->async([weak, generation] {
                auto logger = weak.lock();
                if (!logger) {
                    return;
                }
                // An event of a file already left behind must not roll its successor.
                if (logger->fileGeneration_ == generation) {
                    logger->lt_rollLogFileNow();
                }
                releaseOffLoggerQueue(std::move(logger));
            });
        },
        &error);
    if (!currentLogFileVnode_) {
        platform::systemLog("FileLogger: Failed to watch log file: " + describe(error));
    }
}

void FileLogger::lt_rollLogFileNow() {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    if (currentLogFileHandle_ < 0) {
        return;
    }
    const int handle = currentLogFileHandle_;
    currentLogFileHandle_ = -1;
    ++fileGeneration_;
    if (currentLogFileInfo_) {
        currentLogFileInfo_->setIsArchived(true);
    }
    currentLogFileInfo_.reset();
    currentLogFileVnode_.reset();
    rollingTimer_.reset();
    // Syncing a whole file takes milliseconds, which the next line need not wait for; flush()
    // waits for it.
    BackgroundQueue::shared().async([handle] { syncAndClose(handle); });
}

// ---- flushing ----

void FileLogger::flush() {
    if (isOnInternalLoggerQueue()) {
        lt_flush();
        return;
    }
    LogDispatcher::loggingQueue().sync([this] { loggerQueue()->sync([this] { lt_flush(); }); });
}

void FileLogger::lt_flush() {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), "flush should only be executed on internal queue.");
    if (currentLogFileHandle_ >= 0 && fsync(currentLogFileHandle_) != 0) {
        platform::systemLog("FileLogger: Failed to synchronize file: " + describe(errno));
    }
    // Files rolled before are synced in the background; wait for them too.
    BackgroundQueue::shared().sync([] {});
}

} // namespace tavrel::logging
