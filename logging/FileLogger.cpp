// File logger. The current file is opened for appending, so every line lands at the end of the
// file without a seek and stays whole among other writers; the line is built in one reused
// buffer and handed over with one write. Timer and watch events hold only a weak reference
// to the logger and run on its queue.
#include "logging/FileLogger.hpp"

#include "logging/LogDispatcher.hpp"
#include "logging/detail/BackgroundQueue.hpp"
#include "logging/detail/LogAssert.hpp"
#include "logging/detail/ReportCap.hpp"
#include "platform/SystemLog.hpp"

namespace tavrel::logging {

namespace {

constexpr const char* kOnLoggerQueue = "lt_ methods should be on logger queue.";
// Rounds of choosing and opening a file for one line; each round passes one more file over.
constexpr int kOpenAttempts = 3;

// Shared by all file loggers of the process.
detail::ReportCap& reportedExceptions() {
    static auto* cap = new detail::ReportCap( // lives to the end of the process
        10, "FileLogger.logMessage: Too many exceptions -- will not log any more of them.");
    return *cap;
}

std::string describe(const platform::FileError& error) {
    return error.reason() + " (errno " + std::to_string(error.code()) + ")";
}

// Events and settings take a strong reference on the logger's queue; the last one must not be
// dropped there, since the logger's queue cannot stop itself. The logging queue drops it.
void releaseOffLoggerQueue(std::shared_ptr<FileLogger>&& logger) {
    LogDispatcher::loggingQueue().async([logger = std::move(logger)] { (void)logger; });
}

void syncAndClose(platform::File& file) {
    if (const auto synced = file.synchronize(); !synced.ok()) {
        platform::systemLog("FileLogger: Failed to synchronize file: " + describe(synced.error()));
    }
    if (const auto closed = file.close(); !closed.ok()) {
        platform::systemLog("FileLogger: Failed to close file: " + describe(closed.error()));
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
    if (currentLogFile_) {
        syncAndClose(*currentLogFile_);
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
        if (logger.lt_currentLogFileHandle() != nullptr) {
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
        if (logger.lt_currentLogFileHandle() != nullptr) {
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
        for (const std::string& line :
             reportedExceptions().next(std::string("FileLogger.logMessage: ") + error.what())) {
            platform::systemLog(line);
        }
    }
}

void FileLogger::lt_logData(const std::string& data) {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    platform::File* file = lt_currentLogFileHandle();
    if (file == nullptr) {
        // No file: the line is lost; the next line tries again.
        platform::systemLog("FileLogger: Failed to seek to end of file: (null)");
        platform::systemLog("FileLogger: Failed to write data: (null)");
        return;
    }
    std::size_t written = 0;
    while (written < data.size()) {
        const auto count = file->writeSome(std::string_view(data).substr(written));
        if (!count.ok()) {
            platform::systemLog("FileLogger: Failed to write data: " + describe(count.error()));
            if (written > 0) {
                // Take a torn line back out, unless someone else has appended since.
                const auto end = file->size();
                if (end.ok() && *end - written == fileEnd_) {
                    (void)file->truncate(fileEnd_);
                }
            }
            break;
        }
        written += *count;
    }
    if (written == data.size()) {
        // The file appends, so after a whole line its end is the old end plus the line: known
        // without asking the kernel, which would double the system calls per line.
        fileEnd_ += written;
    } else {
        const auto end = file->size();
        if (!end.ok()) {
            platform::systemLog("FileLogger: Failed to get offset: " + describe(end.error()));
            return;
        }
        fileEnd_ = *end;
    }
    lt_maybeRollLogFileDueToSize();
}

void FileLogger::lt_maybeRollLogFileDueToSize() {
    if (maximumFileSize_ > 0 && fileEnd_ >= maximumFileSize_) {
        lt_rollLogFileNow();
    }
}

// ---- the current file ----

platform::File* FileLogger::lt_currentLogFileHandle() {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    if (currentLogFile_) {
        return &*currentLogFile_;
    }
    // A file that cannot be opened for appending (a folder, a FIFO, a file the user may not
    // write, all named like a log file) is passed over for good and the choice made again, so
    // that the line lands in a new file rather than being lost with every line after it.
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
        lt_chooseCurrentLogFile();
        if (!currentLogFileInfo_) {
            return nullptr;
        }
        auto opened = platform::File::openForAppending(currentLogFileInfo_->filePath());
        if (opened.ok()) {
            currentLogFile_.emplace(std::move(opened).value());
            const auto end = currentLogFile_->size();
            if (!end.ok()) {
                platform::systemLog("FileLogger: Failed to seek to end of file: " +
                                    describe(end.error()));
            }
            fileEnd_ = end.ok() ? *end : 0;
            ++fileGeneration_;
            lt_scheduleTimerToRollLogFileDueToAge();
            lt_monitorCurrentLogFileForExternalChanges();
            return &*currentLogFile_;
        }
        unusableLogFiles_.insert(currentLogFileInfo_->filePath());
        currentLogFileInfo_.reset();
    }
    return nullptr;
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
    const auto path = logFileManager_->createNewLogFile();
    if (!path.ok()) {
        platform::systemLog("FileLogger: Failed to create new log file: " + path.error().path() +
                            ": " + describe(path.error()));
        return;
    }
    currentLogFileInfo_.emplace(*path);
}

bool FileLogger::lt_shouldUseLogFile(const LogFileInfo& info, bool resuming) {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    if (unusableLogFiles_.contains(info.filePath())) {
        return false;
    }
    if (const auto& attributes = info.fileAttributes();
        attributes && attributes->type != platform::FileAttributes::Type::regular &&
        attributes->type != platform::FileAttributes::Type::symbolicLink) {
        unusableLogFiles_.insert(info.filePath()); // not ours to mark or to write
        return false;
    }
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
    auto watch = platform::FileWatch::start(
        *currentLogFile_,
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
        });
    if (!watch.ok()) {
        platform::systemLog("FileLogger: Failed to watch log file: " + describe(watch.error()));
        return;
    }
    currentLogFileVnode_ = std::move(watch).value();
}

void FileLogger::lt_rollLogFileNow() {
    TAVREL_ASSERT(isOnInternalLoggerQueue(), kOnLoggerQueue);
    if (!currentLogFile_) {
        return;
    }
    auto file = std::make_shared<platform::File>(std::move(*currentLogFile_));
    currentLogFile_.reset();
    ++fileGeneration_;
    if (currentLogFileInfo_) {
        currentLogFileInfo_->setIsArchived(true);
    }
    currentLogFileInfo_.reset();
    currentLogFileVnode_.reset();
    rollingTimer_.reset();
    // Syncing a whole file takes milliseconds, which the next line need not wait for; flush()
    // waits for it.
    BackgroundQueue::shared().async([file = std::move(file)] { syncAndClose(*file); });
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
    if (currentLogFile_) {
        if (const auto synced = currentLogFile_->synchronize(); !synced.ok()) {
            platform::systemLog("FileLogger: Failed to synchronize file: " +
                                describe(synced.error()));
        }
    }
    // Files rolled before are synced in the background; wait for them too.
    BackgroundQueue::shared().sync([] {});
}

} // namespace tavrel::logging
