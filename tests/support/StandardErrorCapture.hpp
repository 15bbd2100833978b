// Catches what the test process itself writes to standard error (the system log's copy, say)
// for as long as it lives.
#pragma once

#include "tests/support/TemporaryFolder.hpp"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace tavrel::testing {

class StandardErrorCapture {
public:
    StandardErrorCapture() { dup2(fileno(file_), STDERR_FILENO); }
    ~StandardErrorCapture() {
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        std::fclose(file_);
    }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    /// Everything written so far.
    [[nodiscard]] std::string text() const {
        return readFile("/proc/self/fd/" + std::to_string(fileno(file_)));
    }

private:
    int saved_ = dup(STDERR_FILENO);
    std::FILE* file_ = std::tmpfile();
};

} // namespace tavrel::testing
