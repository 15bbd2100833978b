// What the keychain tests share: the job's log lines in a comparable form, and what a piece of
// work writes to standard output.
#pragma once

#include "tests/support/RecordingLogger.hpp"

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace tavrel::testing {

/// Every log line since the last call, as "<I|E> <function> <message>".
inline std::vector<std::string> takeLogLines() {
    std::vector<std::string> lines;
    for (const logging::LogMessage& line : RecordingLogger::shared().take()) {
        const char* level = line.flag() == logging::LogFlag::error ? "E " : "I ";
        lines.push_back(level + std::string(line.function().value_or("")) + " " +
                        std::string(line.message()));
    }
    return lines;
}

/// What `work` writes to std::cout, which it must not throw past.
template <class Work>
std::string standardOutputOf(const Work& work) {
    std::ostringstream text;
    std::streambuf* const saved = std::cout.rdbuf(text.rdbuf());
    work();
    std::cout.rdbuf(saved);
    return text.str();
}

} // namespace tavrel::testing
