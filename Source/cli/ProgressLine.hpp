// The progress of a run on the terminal: one short line per step.
#pragma once

#include <iosfwd>

namespace tavrel::cli {

class ProgressLine {
public:
    /// Whether standard error is a terminal, where lines can be rewritten in place.
    static bool terminalAttached();

    /// Writes to `out`; `inPlace` (for a terminal): each line replaces the one before.
    ProgressLine(std::ostream& out, bool inPlace) : out_(&out), inPlace_(inPlace) {}

    /// "[7/20] Kill TavrelFileProvider", as step 7 starts. A failed write is dropped.
    void show(int step);

    /// Clears the last line written in place, so that what follows starts on a clean line.
    void finish();

private:
    std::ostream* out_;
    bool inPlace_;
    bool shown_ = false;
};

} // namespace tavrel::cli
