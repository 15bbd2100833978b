// Log dispatcher. The logger list lives on the logging queue, so it needs no lock; callers only
// queue work. The fan-out runs the last accepting logger in a borrowed turn of its queue, which
// keeps the common case free of a thread handoff per record.
#include "logging/LogDispatcher.hpp"

#include "logging/ApplicationTermination.hpp"
#include "logging/LogAssert.hpp"
#include "platform/SystemLog.hpp"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>

namespace tavrel::logging {

namespace {

constexpr const char* kNotOnLoggingQueue =
    "This method should only be run on the logging thread/queue";

// Loggers run side by side only when the slowest takes at least this long for a record: about
// what handing a record to another thread costs.
constexpr std::int64_t kSideBySideNanoseconds = 600;
constexpr std::uint64_t kTimingInterval = 16;
// A logger thread that is on a processor takes a handed-over record well within this.
constexpr std::chrono::nanoseconds kHandOverGrace{2000};

void runGuarded(void (*work)(LoggerInterface&, const LogMessage*), LoggerInterface& logger,
                const LogMessage* message) noexcept {
    try {
        work(logger, message);
    } catch (const std::exception& error) {
        platform::systemLog(std::string("LogDispatcher: a logger failed: ") + error.what());
    } catch (...) {
        platform::systemLog("LogDispatcher: a logger failed");
    }
}

// Brings a queued record into the caches before its turn: stage 0 prefetches the record itself,
// stage 1 (the record is in the caches by then) the text of its message.
void warmUpRecord(const void* subject, int stage) noexcept {
    const auto* bytes = static_cast<const char*>(subject);
    if (stage == 0) {
        for (std::size_t offset = 0; offset < sizeof(LogMessage); offset += 64) {
            __builtin_prefetch(bytes + offset);
        }
        return;
    }
    const std::string_view text = static_cast<const LogMessage*>(subject)->message();
    for (std::size_t offset = 0; offset < text.size() && offset < 256; offset += 64) {
        __builtin_prefetch(text.data() + offset);
    }
}

void writeRecord(LoggerInterface& logger, const LogMessage* message) {
    logger.logMessage(*message);
}
void flushLogger(LoggerInterface& logger, const LogMessage* /*none*/) {
    logger.flush();
}

} // namespace

SerialQueue& LogDispatcher::loggingQueue() {
    static auto* queue = new SerialQueue("logging"); // lives to the end of the process
    return *queue;
}

LogDispatcher& LogDispatcher::sharedInstance() {
    static LogDispatcher* instance = [] {
        auto* dispatcher = new LogDispatcher(); // never released
        if (ApplicationTermination::applicationExists()) {
            ApplicationTermination::addWillTerminateObserver(
                [dispatcher] { dispatcher->applicationWillTerminate(); });
        } else {
            std::atexit([] { sharedInstance().applicationWillTerminate(); });
        }
        return dispatcher;
    }();
    return *instance;
}

LogDispatcher::LogDispatcher(unsigned processorCount)
    : processorCount_(processorCount == 0 ? 1 : processorCount) {
    loggers_.reserve(4);
}

void LogDispatcher::addLogger(std::shared_ptr<LoggerInterface> logger, LogLevel level) {
    if (!logger) {
        return;
    }
    loggingQueue().async([this, logger = std::move(logger), level]() mutable {
        registerLogger(std::move(logger), level);
    });
}

void LogDispatcher::registerLogger(std::shared_ptr<LoggerInterface> logger, LogLevel level) {
    TAVREL_ASSERT(loggingQueue().isCurrent(), kNotOnLoggingQueue);
    const bool known = std::any_of(loggers_.begin(), loggers_.end(), [&](const LoggerNode& node) {
        return node.logger == logger && node.level == level;
    });
    if (known) {
        return;
    }
    LoggerNode node{std::move(logger), level, nullptr, nullptr};
    node.loggerQueue = node.logger->loggerQueue();
    if (node.loggerQueue == nullptr) {
        node.ownedQueue = std::make_shared<SerialQueue>(node.logger->loggerName().value_or(""));
        node.loggerQueue = node.ownedQueue.get();
    }
    loggers_.push_back(std::move(node));
}

void LogDispatcher::log(bool asynchronous, std::unique_ptr<LogMessage> message) {
    if (!message) {
        return;
    }
    if (asynchronous) {
        const LogMessage* record = message.get();
        Task task([this, message = std::move(message)] { dispatch(*message); });
        task.setWarmUp(&warmUpRecord, record);
        loggingQueue().async(std::move(task));
    } else {
        loggingQueue().sync([this, &message] { dispatch(*message); });
    }
}

void LogDispatcher::dispatch(const LogMessage& message) {
    TAVREL_ASSERT(loggingQueue().isCurrent(), kNotOnLoggingQueue);
    targets_.clear();
    for (LoggerNode& node : loggers_) {
        if (passes(message.flag(), node.level)) {
            targets_.push_back(&node);
        }
    }
    // With two or more processors the loggers run side by side, and the slowest of them runs in
    // a turn of its own queue taken by this thread, so that handing the others to their queues'
    // threads overlaps with its work. When even the slowest is quicker than such a hand-off,
    // all of them run here one after the other. Either way every logger runs on its own queue,
    // in list order, and the next record waits until every logger is done with this one.
    const bool manyProcessors = processorCount_ >= 2 && targets_.size() >= 2;
    // Timing every record would cost more than it tells: one in kTimingInterval is timed.
    const bool timed = manyProcessors && (recordsDispatched_++ % kTimingInterval) == 0;
    LoggerNode* slowest = nullptr;
    if (manyProcessors) {
        slowest = *std::max_element(targets_.begin(), targets_.end(),
                                    [](const LoggerNode* lhs, const LoggerNode* rhs) {
                                        return lhs->averageNanoseconds < rhs->averageNanoseconds;
                                    });
        if (slowest->averageNanoseconds < kSideBySideNanoseconds) {
            slowest = nullptr;
        }
    }
    bool anySideBySide = false;
    for (LoggerNode* node : targets_) {
        node->sideBySide = slowest != nullptr && node != slowest;
        if (node->sideBySide) {
            anySideBySide = true;
            loggingGroup_.enter();
            node->loggerQueue->async([this, node, &message, timed] {
                write(*node, message, timed);
                loggingGroup_.leave();
            });
        }
    }
    for (LoggerNode* node : targets_) {
        if (!node->sideBySide) {
            node->loggerQueue->sync([node, &message, timed] { write(*node, message, timed); });
        }
    }
    if (anySideBySide) {
        waitForHandedOver();
    }
}

void LogDispatcher::waitForHandedOver() {
    if (loggingGroup_.spinFor(kHandOverGrace)) {
        return;
    }
    // A logger thread that has not taken its record by now is off the processor, behind other
    // busy threads: this thread takes that logger's turn instead of waiting for a processor.
    for (LoggerNode* node : targets_) {
        if (node->sideBySide) {
            (void)node->loggerQueue->runPendingHere();
        }
    }
    loggingGroup_.wait();
}

void LogDispatcher::write(LoggerNode& node, const LogMessage& message, bool timed) noexcept {
    if (!timed) {
        runGuarded(writeRecord, *node.logger, &message);
        return;
    }
    const auto start = std::chrono::steady_clock::now();
    runGuarded(writeRecord, *node.logger, &message);
    const auto took = std::chrono::duration_cast<std::chrono::nanoseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
    // A moving average over the last few timed records; the group's wait orders this write
    // before the logging queue reads it for the next record.
    node.averageNanoseconds += (took - node.averageNanoseconds) / 4;
}

void LogDispatcher::flushLog() {
    TAVREL_ASSERT(
        !loggingQueue().isCurrent(),
        "This method shouldn't be run on the logging thread/queue that make flush fast enough");
    loggingQueue().sync([this] {
        TAVREL_ASSERT(loggingQueue().isCurrent(), kNotOnLoggingQueue);
        // Flushes always run side by side, whatever the processor count.
        for (LoggerNode& node : loggers_) {
            if (!node.logger->offersFlush()) {
                continue;
            }
            LoggerInterface* logger = node.logger.get();
            loggingGroup_.enter();
            node.loggerQueue->async([this, logger] {
                runGuarded(flushLogger, *logger, nullptr);
                loggingGroup_.leave();
            });
        }
        loggingGroup_.wait();
    });
}

void LogDispatcher::applicationWillTerminate() {
    flushLog();
}

} // namespace tavrel::logging
