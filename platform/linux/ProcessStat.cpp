// /proc/<pid>/stat fields.
#include "platform/linux/ProcessStat.hpp"

#include <charconv>

namespace tavrel::platform::linux_proc {

namespace {

// The numeric field `wanted` (3 or more) of a stat text.
template <class Number>
std::optional<Number> field(std::string_view stat, int wanted) {
    // Fields are counted after the command name's last closing parenthesis.
    const auto closing = stat.rfind(')');
    if (closing == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = stat.substr(closing + 1);
    for (int index = 3; index <= wanted; ++index) {
        const auto start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(start);
        const auto end = rest.find(' ');
        const std::string_view value = rest.substr(0, end);
        if (index == wanted) {
            Number number{};
            const auto [last, error] =
                std::from_chars(value.data(), value.data() + value.size(), number);
            if (error != std::errc() || last != value.data() + value.size()) {
                return std::nullopt;
            }
            return number;
        }
        rest.remove_prefix(value.size());
    }
    return std::nullopt;
}

} // namespace

std::optional<unsigned long long> startTime(std::string_view stat) {
    return field<unsigned long long>(stat, 22);
}

std::optional<int> parentProcess(std::string_view stat) {
    return field<int>(stat, 4);
}

} // namespace tavrel::platform::linux_proc
