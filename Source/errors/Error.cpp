// Description helpers of the error base.
#include "Source/errors/Error.hpp"

#include <array>
#include <cstdio>

namespace tavrel {

std::string Error::quoted(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 2);
    result += '"';
    for (const char c : text) {
        switch (c) {
        case '"':
            result += "\\\"";
            break;
        case '\\':
            result += "\\\\";
            break;
        case '\n':
            result += "\\n";
            break;
        case '\r':
            result += "\\r";
            break;
        case '\t':
            result += "\\t";
            break;
        case '\0':
            result += "\\0";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                std::array<char, 12> escape{};
                std::snprintf(escape.data(), escape.size(), "\\u{%x}",
                              static_cast<unsigned char>(c));
                result += escape.data();
            } else {
                result += c;
            }
        }
    }
    result += '"';
    return result;
}

std::string Error::optionalQuoted(const std::optional<std::string>& text) {
    return text ? "Optional(" + quoted(*text) + ")" : "nil";
}

std::string Error::optionalNumber(const std::optional<long long>& number) {
    return number ? "Optional(" + std::to_string(*number) + ")" : "nil";
}

} // namespace tavrel
