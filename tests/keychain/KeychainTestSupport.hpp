// What the keychain tests share: the job's log lines in a comparable form, and standard output
// caught while a test runs.
#pragma once

#include "tests/engine/RecordingLogger.hpp"

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace tavrel::testing {

/// Every log line since the last call, as "<I|E> <function> <message>".
inline std::vector<std::string> takeLogLines() {
    std::vector<std::string> lines;
    for (const RecordingLogger::Line& line : RecordingLogger::shared().take()) {
        const char* level = line.flag == logging::LogFlag::error ? "E " : "I ";
        lines.push_back(level + line.function + " " + line.message);
    }
    return lines;
}

/// Catches what is written to std::cout for as long as it lives.
class StandardOutputCapture {
public:
    StandardOutputCapture() : saved_(std::cout.rdbuf(text_.rdbuf())) {}
    ~StandardOutputCapture() { std::cout.rdbuf(saved_); }
    StandardOutputCapture(const StandardOutputCapture&) = delete;
    StandardOutputCapture& operator=(const StandardOutputCapture&) = delete;

    /// Everything written so far, which is then forgotten.
    std::string take() {
        std::string text = text_.str();
        text_.str("");
        return text;
    }

private:
    std::ostringstream text_;
    std::streambuf* saved_;
};

} // namespace tavrel::testing
