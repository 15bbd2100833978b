// Progress lines; in place through a carriage return and "erase to the end of the line".
#include "Source/cli/ProgressLine.hpp"

#include "Source/run/Uninstaller.hpp"

#include <ostream>
#include <unistd.h>

namespace tavrel::cli {

namespace {
constexpr const char* kClearLine = "\r\033[K";
} // namespace

bool ProgressLine::terminalAttached() {
    return isatty(STDERR_FILENO) == 1;
}

void ProgressLine::show(int step) {
    std::ostream& out = *out_;
    if (inPlace_) {
        out << kClearLine;
    }
    out << '[' << step << '/' << Uninstaller::kStepCount << "] " << Uninstaller::stepTitle(step);
    if (!inPlace_) {
        out << '\n';
    }
    out.flush();
    shown_ = true;
}

void ProgressLine::finish() {
    if (inPlace_ && shown_) {
        *out_ << kClearLine << std::flush;
    }
    shown_ = false;
}

} // namespace tavrel::cli
