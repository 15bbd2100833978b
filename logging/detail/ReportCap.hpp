// Reports of one kind of failure, capped for the whole process: the first few are written, the
// last of them followed by a farewell line, and none after, so that a failure repeated at every
// log line cannot flood the system log.
#pragma once

#include <atomic>
#include <string>
#include <vector>

namespace tavrel::logging::detail {

class ReportCap {
public:
    ReportCap(int limit, std::string farewell) : limit_(limit), farewell_(std::move(farewell)) {}

    /// The lines to report for the next failure, described by `line`: the line itself while
    /// fewer than `limit` were reported, with the farewell after the last; none after that.
    /// Safe from any thread.
    std::vector<std::string> next(std::string line) {
        const int count = ++count_;
        if (count > limit_) {
            return {};
        }
        std::vector<std::string> lines{std::move(line)};
        if (count == limit_) {
            lines.push_back(farewell_);
        }
        return lines;
    }

private:
    const int limit_;
    const std::string farewell_;
    std::atomic<int> count_{0};
};

} // namespace tavrel::logging::detail
