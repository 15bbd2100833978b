// Apple's strings-file format ("key" = "value"; with comments), in UTF-8 or UTF-16: the tables
// of localized texts.
#pragma once

#include "platform/Result.hpp"

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace tavrel {

class StringsFile {
public:
    using Table = std::map<std::string, std::string, std::less<>>;

    /// Where and why a file could not be parsed.
    struct ParseError {
        std::size_t line = 0; // where a malformed file went wrong (from 1); 0: it was not read
        std::string message;  // what was wrong there, in words
        friend bool operator==(const ParseError&, const ParseError&) = default;
    };

    /// A parse: every entry of the file, or where and why it went wrong.
    using Parsed = platform::Result<Table, ParseError>;

    /// Parses a strings file's bytes: UTF-8 (a byte-order mark is skipped), or UTF-16 in either
    /// byte order when it starts with a byte-order mark. An entry is `key = value;`, or `key;`
    /// whose value is the key; each side is a quoted string, with the escapes \" \\ \n \t \r and
    /// \UXXXX (a UTF-16 code unit, surrogate pairs joined; any other punctuation escapes to
    /// itself), or a bare word of letters, digits and _$+/:.- characters. Comments (/* */ and //)
    /// and white space may stand between the parts. A later entry replaces an earlier one of the
    /// same key. No text holds a NUL character. Any input gives a table or an error, never a
    /// crash.
    static Parsed parse(std::string_view bytes);

    /// Reads and parses the file at `path`; an error on line 0 when it cannot be read.
    static Parsed load(const std::string& path);
};

} // namespace tavrel
