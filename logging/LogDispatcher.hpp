// The process-wide log dispatcher: hands each record, in arrival order, to every registered
// logger whose level lets it through, on that logger's own queue, in lockstep.
#pragma once

#include "logging/LogFlag.hpp"
#include "logging/LogMessage.hpp"
#include "logging/LoggerInterface.hpp"
#include "logging/detail/DispatchGroup.hpp"
#include "logging/detail/ProcessorCount.hpp"
#include "logging/detail/SerialQueue.hpp"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavrel::logging {

class LogDispatcher {
public:
    /// The single dispatcher of the process, made on first use and never released. Making it
    /// subscribes it to the will-terminate notification, or registers a process-exit flush when
    /// no application object exists.
    static LogDispatcher& sharedInstance();

    /// The serial queue labelled "logging" on which all registration and dispatch work runs.
    /// Shared by every dispatcher instance.
    static SerialQueue& loggingQueue();

    /// A dispatcher of its own; the process uses sharedInstance(). Tests make their own, and may
    /// give a processor count to choose the fan-out path.
    explicit LogDispatcher(unsigned processorCount = logging::processorCount());

    LogDispatcher(const LogDispatcher&) = delete;
    LogDispatcher& operator=(const LogDispatcher&) = delete;
    ~LogDispatcher() = default;

    /// Queues the registration and returns at once. A null logger is ignored; the same logger at
    /// the same level is registered once.
    void addLogger(std::shared_ptr<LoggerInterface> logger, LogLevel level);

    /// Hands one record over. Asynchronously returns at once; synchronously returns when every
    /// logger that accepts it has written it (inline when already on the logging queue).
    void log(bool asynchronous, std::unique_ptr<LogMessage> message);

    /// Returns when every record handed in before the call is written and every logger that
    /// offers flush has flushed. Must not be called from the logging queue or a logger's queue.
    void flushLog();

    /// The termination hook: flushes every logger.
    void applicationWillTerminate();

private:
    struct LoggerNode {
        std::shared_ptr<LoggerInterface> logger;
        LogLevel level;
        SerialQueue* loggerQueue;
        std::shared_ptr<SerialQueue> ownedQueue; // a queue made for a logger that offers none
        std::int64_t averageNanoseconds = 0;     // how long the logger takes for one record
    };

    void registerLogger(std::shared_ptr<LoggerInterface> logger, LogLevel level);
    void dispatch(const LogMessage& message);
    static void write(LoggerNode& node, const LogMessage& message) noexcept;

    std::vector<LoggerNode> loggers_; // read and changed only on the logging queue
    unsigned processorCount_;
    DispatchGroup loggingGroup_;
    std::vector<LoggerNode*> targets_; // the accepting loggers of a record, reused for every one
};

} // namespace tavrel::logging
