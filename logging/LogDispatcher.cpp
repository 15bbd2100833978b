// Log dispatcher. The logger list lives on the logging queue, so it needs no lock; callers only
// queue work. The fan-out runs the last accepting logger in a borrowed turn of its queue, which
// keeps the common case free of a thread handoff per record.
#include "logging/LogDispatcher.hpp"

#include "logging/ApplicationTermination.hpp"
#include "logging/LogAssert.hpp"
#include "platform/SystemLog.hpp"

#include <algorithm>
#include <cstdlib>
#include <exception>

namespace tavrel::logging {

namespace {

constexpr const char* kNotOnLoggingQueue =
    "This method should only be run on the logging thread/queue";

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
    fanOut(targets_, writeRecord, &message);
}

void LogDispatcher::fanOut(std::vector<LoggerNode*>& targets,
                           void (*work)(LoggerInterface&, const LogMessage*),
                           const LogMessage* message) {
    if (targets.empty()) {
        return;
    }
    if (processorCount_ < 2 || targets.size() == 1) {
        // One after the other, in list order, each waited for; a single logger needs no group.
        for (LoggerNode* node : targets) {
            node->loggerQueue->sync([&] { runGuarded(work, *node->logger, message); });
        }
        return;
    }
    // Side by side: every logger but the last on its own queue; the last in a turn of its queue
    // taken by this thread; then wait for all, so the next record waits until every logger is done.
    for (auto it = targets.begin(); it + 1 != targets.end(); ++it) {
        LoggerInterface* logger = (*it)->logger.get();
        loggingGroup_.enter();
        (*it)->loggerQueue->async([this, work, logger, message] {
            runGuarded(work, *logger, message);
            loggingGroup_.leave();
        });
    }
    LoggerNode* last = targets.back();
    last->loggerQueue->sync([&] { runGuarded(work, *last->logger, message); });
    loggingGroup_.wait();
}

void LogDispatcher::flushLog() {
    TAVREL_ASSERT(
        !loggingQueue().isCurrent(),
        "This method shouldn't be run on the logging thread/queue that make flush fast enough");
    loggingQueue().sync([this] {
        TAVREL_ASSERT(loggingQueue().isCurrent(), kNotOnLoggingQueue);
        std::vector<LoggerNode*> targets;
        for (LoggerNode& node : loggers_) {
            if (node.logger->offersFlush()) {
                targets.push_back(&node);
            }
        }
        // Flushes always run side by side, whatever the processor count.
        for (LoggerNode* node : targets) {
            LoggerInterface* logger = node->logger.get();
            loggingGroup_.enter();
            node->loggerQueue->async([this, logger] {
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
