// Keeps a stream of diagnostic lines readable: a line like one written less than a second ago
// is held back and counted, and the count comes with the next one let through.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel::platform {

class RepeatFilter {
public:
    using Clock = std::chrono::steady_clock;

    /// Lines alike but for their numbers (a timestamp in a file name, an attempt count) are
    /// alike: they tell the same thing.
    static std::string likeness(std::string_view line);

    /// What to write for `line`, seen at `now`: the line itself when nothing like it was
    /// written in the last second, with a note of how many like it were held back before it;
    /// none to hold it back.
    std::optional<std::string> pass(std::string_view line, Clock::time_point now);

    /// For every line held back and not yet counted: the last of its kind with the count.
    /// Forgets the counts.
    std::vector<std::string> finish();

private:
    struct Kind {
        std::string likeness;
        Clock::time_point lastWritten;
        std::size_t heldBack = 0;
        std::string lastHeldBack;
    };

    static std::string withCount(std::string_view line, std::size_t heldBack);

    // The kinds seen most recently, oldest first; a bounded list, so that a flood of ever new
    // lines cannot make it grow.
    std::vector<Kind> kinds_;
};

} // namespace tavrel::platform
