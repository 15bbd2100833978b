// /proc/<pid>/stat fields.
#include "platform/linux/ProcessStat.hpp"

#include <charconv>

namespace tavrel::platform::linux_proc {

std::optional<unsigned long long> startTime(std::string_view stat) {
    // Fields are counted after the command name's last closing parenthesis.
    const auto closing = stat.rfind(')');
    if (closing == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view rest = stat.substr(closing + 1);
    for (int field = 3; field <= 22; ++field) {
        const auto start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos) {
            return std::nullopt;
        }
        rest.remove_prefix(start);
        const auto end = rest.find(' ');
        const std::string_view value = rest.substr(0, end);
        if (field == 22) {
            unsigned long long ticks = 0;
            const auto [last, error] =
                std::from_chars(value.data(), value.data() + value.size(), ticks);
            if (error != std::errc() || last != value.data() + value.size()) {
                return std::nullopt;
            }
            return ticks;
        }
        rest.remove_prefix(value.size());
    }
    return std::nullopt;
}

} // namespace tavrel::platform::linux_proc
