// Shared pieces of the log file tests: records, a file logger on a private dispatcher, and
// looking at a log folder.
#pragma once

#include "logging/FileLogger.hpp"
#include "logging/LogDispatcher.hpp"
#include "logging/LogFileManagerDefault.hpp"
#include "logging/LogMessage.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tavrel::testing {

inline std::unique_ptr<logging::LogMessage>
makeRecord(std::string text, logging::LogFlag flag = logging::LogFlag::info,
           std::optional<logging::LogMessage::Clock::time_point> timestamp = std::nullopt) {
    return std::make_unique<logging::LogMessage>(std::move(text), logging::LogLevels::all, flag, 0,
                                                 "Source/Test.cpp", "test()", 1, nullptr, 3U,
                                                 timestamp);
}

/// A file logger on a log folder inside a temporary folder, registered with a dispatcher of
/// its own, so no test shares state with another.
struct FileLoggerRig {
    TemporaryFolder root;
    std::string folder = root.string() + "/Logs/";
    std::shared_ptr<logging::LogFileManagerDefault> manager =
        std::make_shared<logging::LogFileManagerDefault>(folder);
    std::shared_ptr<logging::FileLogger> logger = logging::FileLogger::make(manager);
    logging::LogDispatcher dispatcher{2};

    FileLoggerRig() { dispatcher.addLogger(logger, logging::LogLevels::info); }
    ~FileLoggerRig() { dispatcher.flushLog(); }
    FileLoggerRig(const FileLoggerRig&) = delete;
    FileLoggerRig& operator=(const FileLoggerRig&) = delete;

    /// Writes a line and returns once the logger has written it.
    void write(const std::string& text) { dispatcher.log(false, makeRecord(text)); }
    /// Waits until every setting and line handed over so far has been applied.
    void settle() { dispatcher.flushLog(); }
};

/// Whether the text matches a shape in which '0' stands for any digit and every other
/// character for itself.
inline bool matchesShape(std::string_view text, std::string_view shape) {
    if (text.size() != shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool ok = shape[i] == '0' ? (text[i] >= '0' && text[i] <= '9') : text[i] == shape[i];
        if (!ok) {
            return false;
        }
    }
    return true;
}

/// A log file line: the UTC timestamp, two spaces, then any message.
inline constexpr std::string_view kLineTimestampShape = "0000/00/00 00:00:00:000  ";

/// Whether the line is a log file line; its message goes to `message` when given.
inline bool isLogLine(std::string_view line, std::string* message = nullptr) {
    if (line.size() < kLineTimestampShape.size() ||
        !matchesShape(line.substr(0, kLineTimestampShape.size()), kLineTimestampShape)) {
        return false;
    }
    if (message != nullptr) {
        *message = std::string(line.substr(kLineTimestampShape.size()));
    }
    return true;
}

/// Whether the name is "com.quillorchid.TavrelUninstaller <file-name timestamp>.log".
inline bool isNewLogFileName(std::string_view name) {
    constexpr std::string_view prefix = "com.quillorchid.TavrelUninstaller ";
    constexpr std::string_view suffix = ".log";
    return name.size() > prefix.size() + suffix.size() && name.substr(0, prefix.size()) == prefix &&
           name.substr(name.size() - suffix.size()) == suffix &&
           matchesShape(name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()),
                        "0000-00-00--00-00-00-000");
}

/// The log set of a folder (names that start with the application name), sorted by name.
inline std::vector<std::filesystem::path> logFiles(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(logging::LogFileManagerDefault::applicationName() + " ", 0) == 0) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

/// Polls the condition until it holds or the time is up; true when it held.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace tavrel::testing
