// A logger that keeps the lines it is given, registered once with the shared dispatcher.
#pragma once

#include "logging/AbstractLogger.hpp"
#include "logging/LogDispatcher.hpp"

#include <mutex>
#include <string>
#include <vector>

namespace tavrel::testing {

class RecordingLogger final : public logging::AbstractLogger {
public:
    struct Line {
        logging::LogFlag flag;
        std::string function;
        std::string file;
        std::string message;
    };

    /// The process's recorder, registered for every level on first use.
    static RecordingLogger& shared() {
        static const std::shared_ptr<RecordingLogger> instance = [] {
            auto logger = std::make_shared<RecordingLogger>();
            logging::LogDispatcher::sharedInstance().addLogger(logger, logging::LogLevels::all);
            return logger;
        }();
        return *instance;
    }

    RecordingLogger() : AbstractLogger("test.recorder") {}

    void logMessage(const logging::LogMessage& message) override {
        const std::lock_guard lock(mutex_);
        lines_.push_back(Line{message.flag(), std::string(message.function().value_or("")),
                              std::string(message.file()), std::string(message.message())});
    }

    /// Every line written since the last take(), after flushing the dispatcher.
    std::vector<Line> take() {
        logging::LogDispatcher::sharedInstance().flushLog();
        const std::lock_guard lock(mutex_);
        return std::exchange(lines_, {});
    }

    /// The message texts only.
    std::vector<std::string> takeMessages() {
        std::vector<std::string> messages;
        for (Line& line : take()) {
            messages.push_back(std::move(line.message));
        }
        return messages;
    }

    /// The level and text of each line.
    std::vector<std::pair<logging::LogFlag, std::string>> takeFlagged() {
        std::vector<std::pair<logging::LogFlag, std::string>> lines;
        for (Line& line : take()) {
            lines.emplace_back(line.flag, std::move(line.message));
        }
        return lines;
    }

private:
    std::mutex mutex_;
    std::vector<Line> lines_;
};

} // namespace tavrel::testing
