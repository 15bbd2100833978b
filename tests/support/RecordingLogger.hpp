// A logger for tests that keeps every record it is given, on its own queue like any logger.
#pragma once

#include "logging/AbstractLogger.hpp"

#include <mutex>
#include <string>
#include <vector>

namespace tavrel::testing {

class RecordingLogger : public logging::AbstractLogger {
public:
    explicit RecordingLogger(std::string name = "test.recordingLogger")
        : AbstractLogger(std::move(name)) {}

    void logMessage(const logging::LogMessage& message) override {
        const bool onOwnQueue = isOnInternalLoggerQueue();
        std::lock_guard lock(mutex_);
        records_.push_back(message);
        allOnOwnQueue_ = allOnOwnQueue_ && onOwnQueue;
    }

    [[nodiscard]] bool offersFlush() const override { return true; }
    void flush() override {
        std::lock_guard lock(mutex_);
        ++flushes_;
    }

    /// Every record's message, in the order received.
    [[nodiscard]] std::vector<std::string> messages() const {
        std::lock_guard lock(mutex_);
        std::vector<std::string> texts;
        texts.reserve(records_.size());
        for (const auto& record : records_) {
            texts.emplace_back(record.message());
        }
        return texts;
    }

    [[nodiscard]] std::vector<logging::LogMessage> records() const {
        std::lock_guard lock(mutex_);
        return records_;
    }

    [[nodiscard]] int flushes() const {
        std::lock_guard lock(mutex_);
        return flushes_;
    }

    /// Whether every record was handed over on this logger's own queue.
    [[nodiscard]] bool allOnOwnQueue() const {
        std::lock_guard lock(mutex_);
        return allOnOwnQueue_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<logging::LogMessage> records_;
    int flushes_ = 0;
    bool allOnOwnQueue_ = true;
};

} // namespace tavrel::testing
