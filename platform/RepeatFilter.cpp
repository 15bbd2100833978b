// Repeat filter.
#include "platform/RepeatFilter.hpp"

#include <algorithm>

namespace tavrel::platform {

namespace {
constexpr std::size_t kKindsRemembered = 64;
constexpr auto kQuietTime = std::chrono::seconds(1);

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::string RepeatFilter::likeness(std::string_view line) {
    std::string result;
    result.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (!isDigit(line[i])) {
            result += line[i];
        } else if (i == 0 || !isDigit(line[i - 1])) {
            result += '#';
        }
    }
    return result;
}

std::string RepeatFilter::withCount(std::string_view line, std::size_t heldBack) {
    std::string result(line);
    if (heldBack > 0) {
        result += " [" + std::to_string(heldBack) +
                  (heldBack == 1 ? " similar line" : " similar lines") + " not shown]";
    }
    return result;
}

std::optional<std::string> RepeatFilter::pass(std::string_view line, Clock::time_point now) {
    std::string key = likeness(line);
    const auto found = std::find_if(kinds_.begin(), kinds_.end(),
                                    [&](const Kind& kind) { return kind.likeness == key; });
    if (found == kinds_.end()) {
        if (kinds_.size() == kKindsRemembered) {
            // The oldest kind's count would be lost with it; one like it is written anew anyway.
            kinds_.erase(kinds_.begin());
        }
        kinds_.push_back(Kind{std::move(key), now, 0, {}});
        return std::string(line);
    }
    Kind kind = std::move(*found);
    kinds_.erase(found);
    std::optional<std::string> written;
    if (now - kind.lastWritten < kQuietTime) {
        ++kind.heldBack;
        kind.lastHeldBack = line;
    } else {
        written = withCount(line, kind.heldBack);
        kind.lastWritten = now;
        kind.heldBack = 0;
        kind.lastHeldBack.clear();
    }
    kinds_.push_back(std::move(kind));
    return written;
}

std::vector<std::string> RepeatFilter::finish() {
    std::vector<std::string> notes;
    for (Kind& kind : kinds_) {
        if (kind.heldBack > 0) {
            // The last one held back stands for the others.
            notes.push_back(withCount(kind.lastHeldBack, kind.heldBack - 1));
            kind.heldBack = 0;
        }
    }
    return notes;
}

} // namespace tavrel::platform
