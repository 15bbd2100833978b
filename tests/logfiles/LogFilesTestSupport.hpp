// Shared pieces of the log file tests: records, a file logger on a private dispatcher, and
// reading a log folder.
#pragma once

#include "logging/FileLogger.hpp"
#include "logging/LogDispatcher.hpp"
#include "logging/LogFileInfo.hpp"
#include "logging/LogFileManagerDefault.hpp"
#include "logging/LogMessage.hpp"
#include "tests/support/TemporaryFolder.hpp"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tavrel::testing {

using Lines = std::vector<std::string>;

inline std::unique_ptr<logging::LogMessage>
makeRecord(std::string text,
           std::optional<logging::LogMessage::Clock::time_point> timestamp = std::nullopt) {
    return std::make_unique<logging::LogMessage>(std::move(text), logging::log_levels::kAll,
                                                 logging::LogFlag::info, 0, "Source/Test.cpp",
                                                 "test()", 1, nullptr, 3U, timestamp);
}

/// A file logger on a log folder inside a temporary folder, registered with a dispatcher of
/// its own, so no test shares state with another.
struct FileLoggerRig {
    TemporaryFolder root;
    std::string folder = root.string() + "/Logs/";
    std::shared_ptr<logging::FileLogger> logger =
        logging::FileLogger::make(std::make_shared<logging::LogFileManagerDefault>(folder));
    logging::LogDispatcher dispatcher{2};

    FileLoggerRig() { dispatcher.addLogger(logger, logging::log_levels::kInfo); }
    ~FileLoggerRig() { dispatcher.flushLog(); }

    /// Writes a line and returns once the logger has written it.
    void write(const std::string& text) { dispatcher.log(false, makeRecord(text)); }
};

/// Whether the text has the shape, in which '0' stands for any digit and every other character
/// for itself. (No std::regex: GCC 12 warns inside it at -O1.)
inline bool hasShape(std::string_view text, std::string_view shape) {
    return text.size() == shape.size() &&
           std::equal(shape.begin(), shape.end(), text.begin(), [](char expected, char actual) {
               return expected == '0' ? actual >= '0' && actual <= '9' : actual == expected;
           });
}

/// The messages of a log file's lines ("yyyy/MM/dd HH:mm:ss:SSS  message", in UTC); a line of
/// another shape shows whole, in angle brackets.
inline std::vector<std::string> logMessages(const std::string& text) {
    constexpr std::string_view kStamp = "0000/00/00 00:00:00:000  ";
    std::vector<std::string> messages;
    for (const std::string& line : splitLines(text)) {
        messages.push_back(hasShape(std::string_view(line).substr(0, kStamp.size()), kStamp)
                               ? line.substr(kStamp.size())
                               : "<" + line + ">");
    }
    return messages;
}

/// A log file name of 31 May 2024 at the hour, in the form the manager makes.
inline std::string nameAtHour(int hour) {
    return "com.quillorchid.TavrelUninstaller 2024-05-31--" + std::string(hour < 10 ? "0" : "") +
           std::to_string(hour) + "-00-00-000.log";
}

/// The log set of a folder (names that start with the application name), sorted by name
/// without the extension, so that a numbered name follows the one it was taken for.
inline std::vector<std::filesystem::path> logFiles(const std::string& folder) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().starts_with("com.quillorchid.TavrelUninstaller ")) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end(),
              [](const auto& lhs, const auto& rhs) { return lhs.stem() < rhs.stem(); });
    return files;
}

/// The regular files of a folder's log set in that order, each as a line "archived" or "open",
/// then its messages.
inline Lines listing(const std::string& folder) {
    Lines lines;
    for (const auto& path : logFiles(folder)) {
        if (std::filesystem::is_regular_file(path)) {
            lines.emplace_back(logging::LogFileInfo(path.string()).isArchived() ? "archived"
                                                                                : "open");
            const Lines messages = logMessages(readFile(path));
            lines.insert(lines.end(), messages.begin(), messages.end());
        }
    }
    return lines;
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
