// One log record: the line's text and everything known about where and when it was made.
#pragma once

#include "logging/LogFlag.hpp"
#include "logging/LogText.hpp"
#include "logging/detail/RecordText.hpp"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel::logging {

/// Facts about the thread that makes a record. Taken from the calling thread unless given.
struct ThreadIdentity {
    std::string threadID;                  // decimal system thread id
    std::optional<std::string> threadName; // none when the thread has no name
    std::string queueLabel;                // "" off any serial queue
    std::uint32_t qos = 0;                 // no quality-of-service classes on this platform

    /// The identity of the calling thread.
    static ThreadIdentity current();
};

class LogMessage {
public:
    using Clock = std::chrono::system_clock;

    /// Option bits: the record keeps its own copy of file (1) and function (2); bit 4 would leave
    /// the message uncopied. In C++ the record always owns its texts; the bits are kept as given.
    static constexpr unsigned kCopyFile = 1;
    static constexpr unsigned kCopyFunction = 2;
    static constexpr unsigned kDontCopyMessage = 4;

    /// Makes a record that keeps its own copies of file and function. `file` must not be null (a
    /// programming error). With no timestamp the record takes the current time; with no identity,
    /// the calling thread's.
    LogMessage(std::string message, LogLevel level, LogFlag flag, std::intptr_t context,
               const char* file, std::optional<std::string> function, std::size_t line,
               std::shared_ptr<const void> tag, unsigned options,
               std::optional<Clock::time_point> timestamp,
               std::optional<ThreadIdentity> identity = std::nullopt);

    /// The record of a log call: file and function are literals of the program, so they are kept
    /// without a copy; level all, context 0, no tag, options 3, the current time and thread.
    static LogMessage fromLogCall(std::string message, LogFlag flag, LogText file,
                                  FunctionName function, std::size_t line);

    [[nodiscard]] std::string_view message() const noexcept { return message_.view(); }
    [[nodiscard]] LogLevel level() const noexcept { return level_; }
    [[nodiscard]] LogFlag flag() const noexcept { return flag_; }
    [[nodiscard]] std::intptr_t context() const noexcept { return context_; }
    [[nodiscard]] std::string_view file() const noexcept { return file_.view(); }
    [[nodiscard]] std::string_view fileName() const noexcept { return fileName_; }
    [[nodiscard]] std::optional<std::string_view> function() const noexcept {
        return hasFunction_ ? std::optional<std::string_view>(function_.view()) : std::nullopt;
    }
    [[nodiscard]] std::size_t line() const noexcept { return line_; }
    [[nodiscard]] const std::shared_ptr<const void>& tag() const noexcept { return tag_; }
    [[nodiscard]] const std::shared_ptr<const void>& representedObject() const noexcept {
        return tag_;
    }
    [[nodiscard]] unsigned options() const noexcept { return options_; }
    [[nodiscard]] Clock::time_point timestamp() const noexcept { return timestamp_; }
    [[nodiscard]] const std::string& threadID() const noexcept { return identity_.threadID; }
    [[nodiscard]] const std::optional<std::string>& threadName() const noexcept {
        return identity_.threadName;
    }
    [[nodiscard]] const std::string& queueLabel() const noexcept { return identity_.queueLabel; }
    [[nodiscard]] std::uint32_t qos() const noexcept { return identity_.qos; }

    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;

    /// The last path component of a file path, cut before its last "." if it has one.
    static std::string_view fileNameOf(std::string_view file) noexcept;

    friend bool operator==(const LogMessage& lhs, const LogMessage& rhs) noexcept;
    [[nodiscard]] std::size_t hash() const noexcept;

private:
    LogMessage(std::string message, LogLevel level, LogFlag flag, std::intptr_t context,
               LogText file, LogText function, bool hasFunction, std::size_t line,
               std::shared_ptr<const void> tag, unsigned options,
               std::optional<Clock::time_point> timestamp, std::optional<ThreadIdentity> identity);

    RecordText message_;
    LogLevel level_;
    LogFlag flag_;
    std::intptr_t context_;
    LogText file_;
    std::string_view fileName_; // part of file_
    LogText function_;
    bool hasFunction_;
    std::size_t line_;
    std::shared_ptr<const void> tag_;
    unsigned options_;
    Clock::time_point timestamp_;
    ThreadIdentity identity_;
};

} // namespace tavrel::logging
