// Strings-file parser: the bytes are first decoded to UTF-8 text, which one small reader then
// walks, counting lines for its error messages.
#include "Source/localization/StringsFile.hpp"

#include "platform/UntrustedFile.hpp"

#include <array>
#include <optional>
#include <utf8proc.h>

namespace tavrel {

namespace {

constexpr char32_t kSurrogateFirst = 0xD800;
constexpr char32_t kLowSurrogateFirst = 0xDC00;
constexpr char32_t kSurrogateLast = 0xDFFF;

bool isHighSurrogate(char32_t unit) {
    return unit >= kSurrogateFirst && unit < kLowSurrogateFirst;
}
bool isLowSurrogate(char32_t unit) {
    return unit >= kLowSurrogateFirst && unit <= kSurrogateLast;
}
char32_t joinSurrogates(char32_t high, char32_t low) {
    return 0x10000 + ((high - kSurrogateFirst) << 10) + (low - kLowSurrogateFirst);
}

void appendUtf8(std::string& out, char32_t point) {
    std::array<utf8proc_uint8_t, 4> bytes{};
    const auto length = utf8proc_encode_char(static_cast<utf8proc_int32_t>(point), bytes.data());
    out.append(reinterpret_cast<const char*>(bytes.data()), static_cast<std::size_t>(length));
}

// The length of the well-formed UTF-8 sequence at the start of `text` (no overlong form, no
// surrogate, nothing beyond U+10FFFF), or 0.
std::size_t utf8SequenceLength(std::string_view text) {
    utf8proc_int32_t point = 0;
    const auto length = utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(text.data()),
                                         static_cast<utf8proc_ssize_t>(text.size()), &point);
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

std::size_t linesBefore(std::string_view text, std::size_t end) {
    std::size_t lines = 1;
    for (std::size_t index = 0; index < end; ++index) {
        lines += text[index] == '\n' ? 1 : 0;
    }
    return lines;
}

// The bytes as UTF-8 text, or the error that stops it.
std::optional<StringsFile::ParseError> decode(std::string_view bytes, std::string& text) {
    const bool bigEndian = bytes.starts_with("\xFE\xFF");
    if (bigEndian || bytes.starts_with("\xFF\xFE")) {
        const std::size_t units = (bytes.size() - 2) / 2;
        const auto unit = [&](std::size_t index) -> char32_t {
            const auto first = static_cast<unsigned char>(bytes[2 + 2 * index]);
            const auto second = static_cast<unsigned char>(bytes[3 + 2 * index]);
            return bigEndian ? (first << 8) | second : (second << 8) | first;
        };
        for (std::size_t index = 0; index < units; ++index) {
            char32_t point = unit(index);
            if (point == 0) {
                return StringsFile::ParseError{linesBefore(text, text.size()), "a NUL character"};
            }
            if (isHighSurrogate(point) && index + 1 < units && isLowSurrogate(unit(index + 1))) {
                point = joinSurrogates(point, unit(++index));
            } else if (isHighSurrogate(point) || isLowSurrogate(point)) {
                return StringsFile::ParseError{linesBefore(text, text.size()),
                                               "an unpaired UTF-16 surrogate"};
            }
            appendUtf8(text, point);
        }
        if (bytes.size() % 2 != 0) {
            return StringsFile::ParseError{linesBefore(text, text.size()),
                                           "UTF-16 text with an odd number of bytes"};
        }
        return std::nullopt;
    }
    text = bytes.substr(bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0);
    for (std::size_t index = 0; index < text.size();) {
        const std::size_t length = utf8SequenceLength(std::string_view(text).substr(index));
        if (length == 0) {
            return StringsFile::ParseError{linesBefore(text, index),
                                           "not UTF-8 text, and no UTF-16 byte-order mark"};
        }
        if (text[index] == '\0') {
            return StringsFile::ParseError{linesBefore(text, index),
                                           "a NUL byte: UTF-16 text needs a byte-order mark"};
        }
        index += length;
    }
    return std::nullopt;
}

bool isBareCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("_$+/:.-").find(c) != std::string_view::npos;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

// Walks the decoded text entry by entry. Every read returns false once an error is recorded.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    StringsFile::Parsed read() {
        StringsFile::Table table;
        while (skipBlank() && !atEnd()) {
            std::string key;
            std::string value;
            if (!readString(key, "a key")) {
                break;
            }
            if (!skipBlank()) {
                break;
            }
            if (peek() == '=') {
                ++at_;
                if (!skipBlank() || !readString(value, "a value") || !skipBlank()) {
                    break;
                }
            } else if (peek() == ';') {
                value = key;
            } else {
                fail("expected \u201c=\u201d or \u201c;\u201d after the key \u201c" + key +
                     "\u201d");
                break;
            }
            if (peek() != ';') {
                fail("expected \u201c;\u201d after the value of \u201c" + key + "\u201d");
                break;
            }
            ++at_;
            table.insert_or_assign(std::move(key), std::move(value));
        }
        if (!error_.empty()) {
            return StringsFile::ParseError{line_, error_};
        }
        return table;
    }

private:
    [[nodiscard]] bool atEnd() const { return at_ >= text_.size(); }
    [[nodiscard]] char peek() const { return atEnd() ? '\0' : text_[at_]; }
    char next() {
        const char c = text_[at_++];
        line_ += c == '\n' ? 1 : 0;
        return c;
    }
    bool fail(std::string reason) {
        if (error_.empty()) {
            error_ = std::move(reason);
        }
        return false;
    }

    // Skips white space and comments; false only for a comment left open.
    bool skipBlank() {
        while (!atEnd()) {
            const std::string_view rest = text_.substr(at_);
            if (rest.starts_with("//")) {
                while (!atEnd() && peek() != '\n') {
                    next();
                }
            } else if (rest.starts_with("/*")) {
                const std::size_t start = line_;
                const std::size_t close = rest.find("*/", 2);
                if (close == std::string_view::npos) {
                    line_ = start;
                    return fail("a comment is not closed");
                }
                for (const std::size_t end = at_ + close + 2; at_ < end;) {
                    next();
                }
            } else if (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r') {
                next();
            } else {
                return true;
            }
        }
        return true;
    }

    bool readString(std::string& out, const char* what) {
        if (peek() == '"') {
            return readQuoted(out);
        }
        while (!atEnd() && isBareCharacter(peek())) {
            out += next();
        }
        if (!out.empty()) {
            return true;
        }
        return fail(std::string("expected ") + what + ", found " + found());
    }

    // What stands at the reading position, for an error message.
    [[nodiscard]] std::string found() const {
        if (atEnd()) {
            return "the end of the file";
        }
        if (static_cast<unsigned char>(peek()) < 0x20 || peek() == 0x7F) {
            return "a control character";
        }
        const std::string_view rest = text_.substr(at_);
        return "\u201c" + std::string(rest.substr(0, utf8SequenceLength(rest))) + "\u201d";
    }

    bool readQuoted(std::string& out) {
        const std::size_t start = line_;
        next();
        while (!atEnd()) {
            const char c = next();
            if (c == '"') {
                return true;
            }
            if (c != '\\') {
                out += c;
            } else if (!readEscape(out)) {
                return false;
            }
        }
        line_ = start;
        return fail("a quoted string is not closed");
    }

    bool readEscape(std::string& out) {
        if (atEnd()) {
            return fail("a quoted string is not closed");
        }
        const char c = next();
        switch (c) {
        case 'n':
            out += '\n';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 'U': {
            const auto unit = readHexUnit();
            if (!unit) {
                return false;
            }
            char32_t point = *unit;
            if (isHighSurrogate(point) && text_.substr(at_).starts_with("\\U")) {
                at_ += 2;
                const auto low = readHexUnit();
                if (!low) {
                    return false;
                }
                point = isLowSurrogate(*low) ? joinSurrogates(point, *low) : kSurrogateFirst;
            }
            if (isHighSurrogate(point) || isLowSurrogate(point)) {
                return fail("a \\U escape holds an unpaired UTF-16 surrogate");
            }
            if (point == 0) {
                return fail("a \\U escape holds a NUL character");
            }
            appendUtf8(out, point);
            return true;
        }
        default:
            // Any other punctuation (\' say) stands for itself; a letter or digit is a mistake.
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
                return fail(std::string("unknown escape \\") + c);
            }
            out += c;
            return true;
        }
    }

    std::optional<char32_t> readHexUnit() {
        char32_t unit = 0;
        for (int digit = 0; digit < 4; ++digit) {
            const int value = hexValue(peek());
            if (value < 0) {
                fail("\\U must be followed by four hexadecimal digits");
                return std::nullopt;
            }
            next();
            unit = unit * 16 + static_cast<char32_t>(value);
        }
        return unit;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::size_t line_ = 1;
    std::string error_;
};

} // namespace

StringsFile::Parsed StringsFile::parse(std::string_view bytes) {
    std::string text;
    if (auto error = decode(bytes, text)) {
        return *std::move(error);
    }
    return Reader(text).read();
}

StringsFile::Parsed StringsFile::load(const std::string& path) {
    const auto bytes =
        platform::UntrustedFile::read(path, platform::UntrustedFile::Kind::stringsTable);
    if (!bytes.ok()) {
        return ParseError{0, bytes.error().localizedDescription()};
    }
    return parse(*bytes);
}

} // namespace tavrel
