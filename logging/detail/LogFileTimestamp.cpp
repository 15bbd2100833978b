// Log file timestamps: civil dates from the standard calendar types, digits written by hand,
// since strftime costs several times more per line.
#include "logging/detail/LogFileTimestamp.hpp"

#include <array>
#include <charconv>

namespace tavrel::logging {

namespace {

struct Civil {
    long long year;
    unsigned month, day, hour, minute, second;
};

Civil civilOf(long long secondsSinceEpoch) noexcept {
    using namespace std::chrono;
    const sys_seconds time{seconds{secondsSinceEpoch}};
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const long long inDay = (time - day).count();
    return Civil{static_cast<int>(date.year()),          static_cast<unsigned>(date.month()),
                 static_cast<unsigned>(date.day()),      static_cast<unsigned>(inDay / 3600),
                 static_cast<unsigned>(inDay / 60 % 60), static_cast<unsigned>(inDay % 60)};
}

char* twoDigits(unsigned value, char* out) noexcept {
    out[0] = static_cast<char>('0' + value / 10 % 10);
    out[1] = static_cast<char>('0' + value % 10);
    return out + 2;
}

char* yearDigits(long long year, char* out) noexcept {
    if (year >= 0 && year <= 9999) {
        const auto value = static_cast<unsigned>(year);
        out = twoDigits(value / 100, out);
        return twoDigits(value % 100, out);
    }
    return std::to_chars(out, out + 20, year).ptr;
}

// Writes the civil date and time with the given separators: date, between date and time, time.
std::size_t writeCivil(const Civil& civil, std::string_view dateSeparator, std::string_view middle,
                       std::string_view timeSeparator, char* out) noexcept {
    char* cursor = yearDigits(civil.year, out);
    cursor = dateSeparator.copy(cursor, dateSeparator.size()) + cursor;
    cursor = twoDigits(civil.month, cursor);
    cursor = dateSeparator.copy(cursor, dateSeparator.size()) + cursor;
    cursor = twoDigits(civil.day, cursor);
    cursor = middle.copy(cursor, middle.size()) + cursor;
    cursor = twoDigits(civil.hour, cursor);
    cursor = timeSeparator.copy(cursor, timeSeparator.size()) + cursor;
    cursor = twoDigits(civil.minute, cursor);
    cursor = timeSeparator.copy(cursor, timeSeparator.size()) + cursor;
    cursor = twoDigits(civil.second, cursor);
    return static_cast<std::size_t>(cursor - out);
}

std::optional<unsigned> digits(std::string_view text, std::size_t at, std::size_t count) {
    unsigned value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return value;
}

} // namespace

std::string LogFileTimestamp::fileNameText(Clock::time_point time) {
    using namespace std::chrono;
    const auto whole = floor<seconds>(time);
    const auto milliseconds =
        static_cast<unsigned>(duration_cast<std::chrono::milliseconds>(time - whole).count());
    std::array<char, kMaximumLength> buffer{};
    std::size_t length =
        writeCivil(civilOf(whole.time_since_epoch().count()), "-", "--", "-", buffer.data());
    buffer[length++] = '-';
    buffer[length++] = static_cast<char>('0' + milliseconds / 100);
    buffer[length++] = static_cast<char>('0' + milliseconds / 10 % 10);
    buffer[length++] = static_cast<char>('0' + milliseconds % 10);
    return std::string(buffer.data(), length);
}

std::optional<LogFileTimestamp::Clock::time_point>
LogFileTimestamp::parseFileNameText(std::string_view text) {
    // yyyy-MM-dd--HH-mm-ss-SSS
    constexpr std::string_view kShape = "0000-00-00--00-00-00-000";
    if (text.size() != kShape.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        if (kShape[i] == '-' && text[i] != '-') {
            return std::nullopt;
        }
    }
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    const auto hour = digits(text, 12, 2);
    const auto minute = digits(text, 15, 2);
    const auto second = digits(text, 18, 2);
    const auto millisecond = digits(text, 21, 3);
    if (!year || !month || !day || !hour || !minute || !second || !millisecond || *hour > 23 ||
        *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    using namespace std::chrono;
    const year_month_day date{std::chrono::year{static_cast<int>(*year)},
                              std::chrono::month{*month}, std::chrono::day{*day}};
    if (!date.ok()) {
        return std::nullopt;
    }
    const milliseconds sinceEpoch = sys_days(date).time_since_epoch() + hours(*hour) +
                                    minutes(*minute) + seconds(*second) +
                                    milliseconds(*millisecond);
    // The clock counts nanoseconds and ends in 2262: a later name is not one we could have made.
    if (sinceEpoch > duration_cast<milliseconds>(Clock::duration::max()) ||
        sinceEpoch < duration_cast<milliseconds>(Clock::duration::min())) {
        return std::nullopt;
    }
    return Clock::time_point(duration_cast<Clock::duration>(sinceEpoch));
}

std::optional<LogFileTimestamp::Clock::time_point>
LogFileTimestamp::fromLogFileName(std::string_view fileName) {
    const auto space = fileName.find_last_of(' ');
    const std::string_view last =
        space == std::string_view::npos ? fileName : fileName.substr(space + 1);
    std::string piece;
    for (std::size_t i = 0; i < last.size();) {
        if (last.substr(i, 4) == ".log") {
            i += 4;
        } else {
            piece += last[i++];
        }
    }
    return parseFileNameText(piece);
}

std::size_t LogFileTimestamp::writeLineSecond(long long second, char* out) noexcept {
    return writeCivil(civilOf(second), "/", " ", ":", out);
}

void LogFileTimestamp::writeLineMilliseconds(unsigned milliseconds, char* out) noexcept {
    out[0] = ':';
    out[1] = static_cast<char>('0' + milliseconds / 100 % 10);
    out[2] = static_cast<char>('0' + milliseconds / 10 % 10);
    out[3] = static_cast<char>('0' + milliseconds % 10);
}

} // namespace tavrel::logging
