// The progress of a run on the terminal: one short line per step.
#pragma once

#include "Source/run/Step.hpp"

#include <ostream>
#include <streambuf>

namespace tavrel::cli {

class ProgressLine {
public:
    /// Whether standard error is a terminal, where lines can be rewritten in place.
    static bool terminalAttached();

    /// Writes to `out`; `inPlace` (for a terminal): each line replaces the one before.
    ProgressLine(std::ostream& out, bool inPlace);
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    ~ProgressLine() = default;

    /// "[7/20] Kill TavrelFileProvider", as step 7 starts. A failed write is dropped.
    void show(const Step& step);

    /// Clears the last line written in place, so that what follows starts on a clean line.
    void finish();

    /// A stream onto `target` that clears the line first whenever something is written to it,
    /// so that its lines never land in the middle of a progress line. Valid while this lives;
    /// one target per progress line.
    std::ostream& clearingBefore(std::ostream& target);

private:
    // Passes everything on to the target after finish().
    class ClearingBuffer final : public std::streambuf {
    public:
        explicit ClearingBuffer(ProgressLine& line) : line_(&line) {}
        void setTarget(std::streambuf* target) { target_ = target; }

    protected:
        int_type overflow(int_type c) override;
        std::streamsize xsputn(const char* text, std::streamsize count) override;
        int sync() override;

    private:
        ProgressLine* line_;
        std::streambuf* target_ = nullptr;
    };

    std::ostream* out_;
    bool inPlace_;
    bool shown_ = false;
    ClearingBuffer clearing_;
    std::ostream clearingStream_;
};

} // namespace tavrel::cli
