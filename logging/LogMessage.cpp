// Log records: the derived fields are worked out on the thread that makes the record.
#include "logging/LogMessage.hpp"

#include "logging/detail/LogAssert.hpp"
#include "logging/detail/RecordPool.hpp"
#include "logging/detail/SerialQueue.hpp"
#include "platform/Thread.hpp"

#include <functional>

namespace tavrel::logging {

namespace {

// A thread's id never changes; the system call is made once per thread.
const std::string& currentThreadID() {
    thread_local const std::string id = std::to_string(platform::currentThreadID());
    return id;
}

// Read once per thread, at its first record: reading it is a system call that costs more than
// the rest of a log call. Only the thread id is ever written out.
const std::optional<std::string>& currentThreadName() {
    thread_local const std::optional<std::string> name = platform::currentThreadName();
    return name;
}

} // namespace

ThreadIdentity ThreadIdentity::current() {
    ThreadIdentity identity;
    identity.threadID = currentThreadID();
    identity.threadName = currentThreadName();
    if (const SerialQueue* queue = SerialQueue::current()) {
        identity.queueLabel = queue->label();
    }
    return identity;
}

LogMessage::LogMessage(std::string message, LogLevel level, LogFlag flag, std::intptr_t context,
                       const char* file, std::optional<std::string> function, std::size_t line,
                       std::shared_ptr<const void> tag, unsigned options,
                       std::optional<Clock::time_point> timestamp,
                       std::optional<ThreadIdentity> identity)
    : LogMessage(std::move(message), level, flag, context,
                 LogText::copy(file != nullptr ? file : ""),
                 function ? LogText::copy(*function) : LogText(), function.has_value(), line,
                 std::move(tag), options, timestamp, std::move(identity)) {
    TAVREL_ASSERT(file != nullptr, "Invalid parameter not satisfying: file");
}

LogMessage::LogMessage(std::string message, LogLevel level, LogFlag flag, std::intptr_t context,
                       LogText file, LogText function, bool hasFunction, std::size_t line,
                       std::shared_ptr<const void> tag, unsigned options,
                       std::optional<Clock::time_point> timestamp,
                       std::optional<ThreadIdentity> identity)
    : message_(std::move(message)), level_(level), flag_(flag), context_(context),
      file_(std::move(file)), fileName_(fileNameOf(file_.view())), function_(std::move(function)),
      hasFunction_(hasFunction), line_(line), tag_(std::move(tag)), options_(options),
      timestamp_(timestamp ? *timestamp : Clock::now()),
      identity_(identity ? std::move(*identity) : ThreadIdentity::current()) {}

LogMessage LogMessage::fromLogCall(std::string message, LogFlag flag, LogText file,
                                   FunctionName function, std::size_t line) {
    return LogMessage(std::move(message), log_levels::kAll, flag, 0, std::move(file),
                      LogText::literal(function.view()), true, line, nullptr,
                      kCopyFile | kCopyFunction, std::nullopt, std::nullopt);
}

void* LogMessage::operator new(std::size_t size) {
    return size == RecordPool::kBlockSize ? RecordPool::acquire() : ::operator new(size);
}

void LogMessage::operator delete(void* block, std::size_t size) noexcept {
    if (size == RecordPool::kBlockSize) {
        RecordPool::release(block);
    } else {
        ::operator delete(block);
    }
}

std::string_view LogMessage::fileNameOf(std::string_view file) noexcept {
    const auto slash = file.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? file : file.substr(slash + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string_view::npos) {
        name = name.substr(0, dot);
    }
    return name;
}

bool operator==(const LogMessage& lhs, const LogMessage& rhs) noexcept {
    return lhs.message() == rhs.message() && lhs.level_ == rhs.level_ && lhs.flag_ == rhs.flag_ &&
           lhs.context_ == rhs.context_ && lhs.file() == rhs.file() &&
           lhs.function() == rhs.function() && lhs.line_ == rhs.line_ && lhs.tag_ == rhs.tag_ &&
           lhs.timestamp_ == rhs.timestamp_ && lhs.identity_.threadID == rhs.identity_.threadID &&
           lhs.identity_.queueLabel == rhs.identity_.queueLabel &&
           lhs.identity_.qos == rhs.identity_.qos;
}

std::size_t LogMessage::hash() const noexcept {
    const std::hash<std::string_view> text;
    std::size_t value =
        text(message()) ^ std::hash<LogLevel>{}(level_) ^
        std::hash<LogLevel>{}(static_cast<LogLevel>(flag_)) ^ std::hash<std::intptr_t>{}(context_) ^
        text(file()) ^ std::hash<std::size_t>{}(line_) ^ std::hash<const void*>{}(tag_.get()) ^
        std::hash<Clock::rep>{}(timestamp_.time_since_epoch().count()) ^ text(identity_.threadID) ^
        text(identity_.queueLabel) ^ std::hash<std::uint32_t>{}(identity_.qos);
    if (const auto name = function()) {
        value ^= text(*name);
    }
    return value;
}

} // namespace tavrel::logging
