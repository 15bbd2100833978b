// The protocol of a line formatter.
#pragma once

#include "logging/LogMessage.hpp"

#include <optional>
#include <string>

namespace tavrel::logging {

class LogFormatter {
public:
    virtual ~LogFormatter() = default;

    /// The text to write for the record, or none to drop the line.
    virtual std::optional<std::string> formatLogMessage(const LogMessage& message) = 0;

protected:
    LogFormatter() = default;
    LogFormatter(const LogFormatter&) = default;
    LogFormatter& operator=(const LogFormatter&) = default;
};

} // namespace tavrel::logging
