// Apple's strings-file format ("key" = "value"; with comments), in UTF-8 or UTF-16: the tables
// of localized texts.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace tavrel {

class StringsFile {
public:
    using Table = std::map<std::string, std::string, std::less<>>;

    /// A parse: every entry of the file, or where and why it went wrong.
    struct Parsed {
        Table table;               // empty when the file is malformed
        std::size_t errorLine = 0; // the line (from 1) where a malformed file went wrong; else 0
        std::string error;         // what was wrong there, in words; empty when the file is fine

        [[nodiscard]] bool ok() const noexcept { return error.empty(); }
    };

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
