// Log dispatcher. The logger list lives on the logging queue, so it needs no lock; callers only
// queue work.
#include "logging/LogDispatcher.hpp"

#include "logging/ApplicationTermination.hpp"
#include "logging/detail/LogAssert.hpp"
#include "platform/SystemLog.hpp"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>

namespace tavrel::logging {

namespace {

constexpr const char* kNotOnLoggingQueue =
    "This method should only be run on the logging thread/queue";

// A logger that throws must not take the logging queue or the others down with it.
template <class Work>
void runGuarded(Work work) noexcept {
    try {
        work();
    } catch (const std::exception& error) {
        platform::systemLog(std::string("LogDispatcher: a logger failed: ") + error.what());
    } catch (...) {
        platform::systemLog("LogDispatcher: a logger failed");
    }
}

// About what handing records to other threads costs on a busy machine of two processors.
constexpr std::int64_t kHandOverNanoseconds = 2000;
// The most one record counts for in a logger's average. A record held up once (the thread taken
// off its processor mid-write, a file rolled) must not tip the choice: with no limit, two such at
// once sent a few hundred quick records of each benchmark run to the loggers' sleeping threads,
// for a sixth to a third of its time. Loggers slow on every record still run side by side from
// their seventh record on.
constexpr std::int64_t kLongestCounted = 2 * kHandOverNanoseconds;

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
        loggingQueue().async([this, message = std::move(message)] { dispatch(*message); });
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
    if (targets_.empty()) {
        return;
    }
    // Every accepting logger runs on its own queue, and the next record waits until all are
    // done. Side by side, the slowest runs here while the others run on their own threads; that
    // pays only when the others together take longer than handing a record over. Otherwise, and
    // with one processor, they run one after the other. Run here through sync, a logger's work
    // takes its idle queue's turn on this thread: no handoff at all.
    LoggerNode* slowest = *std::max_element(
        targets_.begin(), targets_.end(), [](const LoggerNode* lhs, const LoggerNode* rhs) {
            return lhs->averageNanoseconds < rhs->averageNanoseconds;
        });
    std::int64_t others = -slowest->averageNanoseconds;
    for (const LoggerNode* node : targets_) {
        others += node->averageNanoseconds;
    }
    const bool sideBySide = processorCount_ >= 2 && others >= kHandOverNanoseconds;
    for (LoggerNode* node : targets_) {
        if (sideBySide && node != slowest) {
            loggingGroup_.enter();
            node->loggerQueue->async([this, node, &message] {
                write(*node, message);
                loggingGroup_.leave();
            });
        }
    }
    for (LoggerNode* node : targets_) {
        if (!sideBySide || node == slowest) {
            node->loggerQueue->sync([node, &message] { write(*node, message); });
        }
    }
    if (sideBySide) {
        loggingGroup_.wait();
    }
}

void LogDispatcher::write(LoggerNode& node, const LogMessage& message) noexcept {
    const auto start = std::chrono::steady_clock::now();
    runGuarded([&] { node.logger->logMessage(message); });
    const std::int64_t took =
        std::min<std::int64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::steady_clock::now() - start)
                                   .count(),
                               kLongestCounted);
    // A moving average over the last few records; the logging queue reads it for the next
    // record after the group's wait or the sync, which order this write before that read.
    node.averageNanoseconds += (took - node.averageNanoseconds) / 8;
}

void LogDispatcher::flushLog() {
    TAVREL_ASSERT(
        !loggingQueue().isCurrent(),
        "This method shouldn't be run on the logging thread/queue that make flush fast enough");
    loggingQueue().sync([this] {
        TAVREL_ASSERT(loggingQueue().isCurrent(), kNotOnLoggingQueue);
        // Flushes run side by side, whatever the processor count: they wait for the disk.
        for (LoggerNode& node : loggers_) {
            if (!node.logger->offersFlush()) {
                continue;
            }
            LoggerInterface* logger = node.logger.get();
            loggingGroup_.enter();
            node.loggerQueue->async([this, logger] {
                runGuarded([logger] { logger->flush(); });
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
