// Catches what the test process itself writes to standard error (the system log's copy, say)
// for as long as it lives.
#pragma once

#include "tests/support/TemporaryFolder.hpp"

#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace tavrel::testing {

class StandardErrorCapture {
public:
    StandardErrorCapture() : saved_(dup(STDERR_FILENO)) {
        const int file = open(path().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        dup2(file, STDERR_FILENO);
        close(file);
    }
    ~StandardErrorCapture() { restore(); }
    StandardErrorCapture(const StandardErrorCapture&) = delete;
    StandardErrorCapture& operator=(const StandardErrorCapture&) = delete;

    /// Everything written so far.
    [[nodiscard]] std::string text() const { return readFile(path()); }

private:
    [[nodiscard]] std::string path() const { return folder_.string() + "/stderr"; }
    void restore() {
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
            saved_ = -1;
        }
    }

    TemporaryFolder folder_;
    int saved_;
};

} // namespace tavrel::testing
