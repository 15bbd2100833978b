// The call site of a log call. Built on the compiler's __builtin_FILE and __builtin_LINE, which
// every compiler and tool of ours understands (std::source_location needs a newer clang).
#pragma once

namespace tavrel::logging {

class SourceLocation {
public:
    /// The location of the code that calls current(), also through a default argument.
    static constexpr SourceLocation current(const char* file = __builtin_FILE(),
                                            unsigned line = __builtin_LINE()) noexcept {
        return SourceLocation(file, line);
    }

    /// The source file as the build records it; a literal with static storage.
    // NOLINTNEXTLINE(readability-identifier-naming): the name std::source_location gives it
    [[nodiscard]] constexpr const char* file_name() const noexcept { return file_; }
    [[nodiscard]] constexpr unsigned line() const noexcept { return line_; }

private:
    constexpr SourceLocation(const char* file, unsigned line) noexcept : file_(file), line_(line) {}

    const char* file_;
    unsigned line_;
};

} // namespace tavrel::logging
