// A logger for tests that keeps every record it is given, on its own queue like any logger.
#pragma once

#include "logging/AbstractLogger.hpp"
#include "logging/LogDispatcher.hpp"

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace tavrel::testing {

class RecordingLogger : public logging::AbstractLogger {
public:
    explicit RecordingLogger(std::string name = "test.recordingLogger")
        : AbstractLogger(std::move(name)) {}

    /// The one registered for every level with the shared dispatcher, for code that logs
    /// through it; registered on first use.
    static RecordingLogger& shared() {
        static const auto instance = [] {
            auto logger = std::make_shared<RecordingLogger>("test.sharedRecorder");
            logging::LogDispatcher::sharedInstance().addLogger(logger, logging::log_levels::kAll);
            return logger;
        }();
        return *instance;
    }

    void logMessage(const logging::LogMessage& message) override {
        const bool onOwnQueue = isOnInternalLoggerQueue();
        const std::lock_guard lock(mutex_);
        records_.push_back(message);
        allOnOwnQueue_ = allOnOwnQueue_ && onOwnQueue;
    }

    [[nodiscard]] bool offersFlush() const override { return true; }
    void flush() override {
        const std::lock_guard lock(mutex_);
        ++flushes_;
    }

    [[nodiscard]] std::vector<logging::LogMessage> records() const {
        const std::lock_guard lock(mutex_);
        return records_;
    }

    /// Every record's message, in the order received.
    [[nodiscard]] std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const auto& record : records()) {
            texts.emplace_back(record.message());
        }
        return texts;
    }

    /// The records since the last take, once the shared dispatcher has handed over all it had.
    std::vector<logging::LogMessage> take() {
        logging::LogDispatcher::sharedInstance().flushLog();
        const std::lock_guard lock(mutex_);
        return std::exchange(records_, {});
    }

    /// The level and text of each record since the last take.
    std::vector<std::pair<logging::LogFlag, std::string>> takeFlagged() {
        std::vector<std::pair<logging::LogFlag, std::string>> lines;
        for (const logging::LogMessage& record : take()) {
            lines.emplace_back(record.flag(), record.message());
        }
        return lines;
    }

    [[nodiscard]] int flushes() const {
        const std::lock_guard lock(mutex_);
        return flushes_;
    }

    /// Whether every record was handed over on this logger's own queue.
    [[nodiscard]] bool allOnOwnQueue() const {
        const std::lock_guard lock(mutex_);
        return allOnOwnQueue_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<logging::LogMessage> records_;
    int flushes_ = 0;
    bool allOnOwnQueue_ = true;
};

} // namespace tavrel::testing
