// Format directives of localized texts.
#include "Source/localization/TextFormat.hpp"

namespace tavrel {

std::string formatText(std::string_view format, const std::vector<std::string>& arguments) {
    std::string out;
    out.reserve(format.size());
    std::size_t nextArgument = 0;
    for (std::size_t at = 0; at < format.size();) {
        const std::string_view rest = format.substr(at);
        if (rest.starts_with("%%")) {
            out += '%';
            at += 2;
            continue;
        }
        if (rest.starts_with("%@")) {
            const std::size_t index = nextArgument++;
            out += index < arguments.size() ? arguments[index] : std::string(rest.substr(0, 2));
            at += 2;
            continue;
        }
        // A positional directive: "%", digits, "$@".
        std::size_t digits = 1;
        std::size_t position = 0;
        while (rest.size() > digits && rest[0] == '%' && rest[digits] >= '0' &&
               rest[digits] <= '9' && digits < 4) {
            position = position * 10 + static_cast<std::size_t>(rest[digits] - '0');
            ++digits;
        }
        if (digits > 1 && rest.substr(digits).starts_with("$@")) {
            const std::size_t length = digits + 2;
            out += position >= 1 && position <= arguments.size()
                       ? arguments[position - 1]
                       : std::string(rest.substr(0, length));
            at += length;
            continue;
        }
        out += format[at++];
    }
    return out;
}

} // namespace tavrel
