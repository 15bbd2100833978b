// Progress lines; in place through a carriage return and "erase to the end of the line".
#include "Source/cli/ProgressLine.hpp"

#include "Source/run/StepTable.hpp"
#include "platform/Terminal.hpp"

namespace tavrel::cli {

namespace {
constexpr const char* kClearLine = "\r\033[K";
} // namespace

bool ProgressLine::terminalAttached() {
    return platform::isTerminal(platform::StandardStream::error);
}

ProgressLine::ProgressLine(std::ostream& out, bool inPlace)
    : out_(&out), inPlace_(inPlace), clearing_(*this), clearingStream_(&clearing_) {}

void ProgressLine::show(const Step& step) {
    std::ostream& out = *out_;
    if (inPlace_) {
        out << kClearLine;
    }
    out << '[' << step.number << '/' << StepTable::count() << "] " << step.title;
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

std::ostream& ProgressLine::clearingBefore(std::ostream& target) {
    clearing_.setTarget(target.rdbuf());
    return clearingStream_;
}

ProgressLine::ClearingBuffer::int_type ProgressLine::ClearingBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
    line_->finish();
    return target_->sputc(traits_type::to_char_type(c));
}

std::streamsize ProgressLine::ClearingBuffer::xsputn(const char* text, std::streamsize count) {
    line_->finish();
    return target_->sputn(text, count);
}

int ProgressLine::ClearingBuffer::sync() {
    return target_->pubsync();
}

} // namespace tavrel::cli
