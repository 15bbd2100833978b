// A text as a double-quoted literal with `"` and `\` escaped: the form both fuzzed parsers read.
#pragma once

#include <string>
#include <string_view>

inline std::string quotedLiteral(std::string_view text) {
    std::string result = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            result += '\\';
        }
        result += c;
    }
    return result + "\"";
}
