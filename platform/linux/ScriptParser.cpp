// The stand-in's parser: a small lexer and the three forms written out as token sequences.
#include "platform/linux/ScriptParser.hpp"

#include <utf8proc.h>

namespace tavrel::platform::linux_script {

namespace {

using Command = ScriptParser::Command;
using CompileError = ScriptParser::CompileError;

constexpr std::string_view kSystemEvents = "System Events";

struct Token {
    enum class Kind { word, string, end, unknown, unterminated, badEscape };
    Kind kind = Kind::end;
    std::string text; // the word, the string's value, or the offending character
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

class Lexer {
public:
    explicit Lexer(std::string_view source) : rest_(source) {}

    Token next() {
        while (!rest_.empty() && isBlank(rest_.front())) {
            rest_.remove_prefix(1);
        }
        if (rest_.empty()) {
            return {Token::Kind::end, {}};
        }
        if (rest_.front() == '"') {
            rest_.remove_prefix(1);
            return string();
        }
        std::size_t length = 0;
        while (length < rest_.size() && isWordCharacter(rest_[length])) {
            ++length;
        }
        if (length == 0) {
            Token token{Token::Kind::unknown, std::string(1, rest_.front())};
            rest_ = {};
            return token;
        }
        Token token{Token::Kind::word, std::string(rest_.substr(0, length))};
        rest_.remove_prefix(length);
        return token;
    }

private:
    // The rest of a string literal, after its opening quote.
    Token string() {
        std::string value;
        while (!rest_.empty()) {
            const char c = rest_.front();
            rest_.remove_prefix(1);
            if (c == '"') {
                return {Token::Kind::string, std::move(value)};
            }
            if (c != '\\') {
                value += c;
                continue;
            }
            if (rest_.empty()) {
                break;
            }
            const char escaped = rest_.front();
            rest_.remove_prefix(1);
            switch (escaped) {
            case '"':
            case '\\':
                value += escaped;
                break;
            case 'n':
                value += '\n';
                break;
            case 'r':
                value += '\r';
                break;
            case 't':
                value += '\t';
                break;
            default:
                rest_ = {};
                return {Token::Kind::badEscape, std::string(1, escaped)};
            }
        }
        return {Token::Kind::unterminated, {}};
    }

    std::string_view rest_;
};

// How a compile error names what it found, e.g. “shel” or end of script.
std::string describe(const Token& token) {
    switch (token.kind) {
    case Token::Kind::word:
        return "\u201c" + token.text + "\u201d";
    case Token::Kind::string:
        return "the string \u201c" + token.text + "\u201d";
    case Token::Kind::end:
        return "end of script";
    case Token::Kind::unknown:
    case Token::Kind::unterminated:
    case Token::Kind::badEscape:
        break;
    }
    const auto c = static_cast<unsigned char>(token.text.empty() ? '\0' : token.text.front());
    if (c > 0x20 && c < 0x7f) {
        return "unknown token \u201c" + token.text + "\u201d";
    }
    return "unknown token";
}

// Reads the tokens of one form in order; the first mismatch becomes the compile error.
class Parser {
public:
    explicit Parser(std::string_view source) : lexer_(source) {}

    // The next token, when it is the word `word`.
    void word(std::string_view word) {
        if (failed()) {
            return;
        }
        if (const Token token = take(); token.kind != Token::Kind::word || token.text != word) {
            fail("\u201c" + std::string(word) + "\u201d", token);
        }
    }

    // The next token, when it is a string literal.
    std::string string() {
        if (failed()) {
            return {};
        }
        Token token = take();
        if (token.kind == Token::Kind::string) {
            return std::move(token.text);
        }
        fail("a string in double quotes", token);
        return {};
    }

    // The next token, when it is one of two words: 0 for the first, 1 for the second.
    int either(std::string_view first, std::string_view second, const std::string& expected) {
        if (failed()) {
            return -1;
        }
        const Token token = take();
        if (token.kind == Token::Kind::word && (token.text == first || token.text == second)) {
            return token.text == first ? 0 : 1;
        }
        fail(expected, token);
        return -1;
    }

    void end() {
        if (failed()) {
            return;
        }
        if (const Token token = take(); token.kind != Token::Kind::end) {
            fail("end of script", token);
        }
    }

    void fail(const std::string& expected, const Token& found) {
        if (found.kind == Token::Kind::unterminated) {
            error_ = "Expected \u201c\"\u201d but found end of script.";
        } else if (found.kind == Token::Kind::badEscape) {
            error_ =
                "Expected \u201c\\\"\u201d, \u201c\\\\\u201d, \u201c\\n\u201d, \u201c\\r\u201d "
                "or \u201c\\t\u201d in a string but found \u201c\\" +
                found.text + "\u201d.";
        } else {
            error_ = "Expected " + expected + " but found " + describe(found) + ".";
        }
    }

    [[nodiscard]] bool failed() const { return !error_.empty(); }
    [[nodiscard]] const std::string& error() const { return error_; }

private:
    Token take() { return lexer_.next(); }

    Lexer lexer_;
    std::string error_;
};

} // namespace

bool ScriptParser::isScriptText(std::string_view source) {
    const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(source.data());
    auto remaining = static_cast<utf8proc_ssize_t>(source.size());
    while (remaining > 0) {
        utf8proc_int32_t codePoint = 0;
        const utf8proc_ssize_t length = utf8proc_iterate(bytes, remaining, &codePoint);
        if (length <= 0 || codePoint == 0) {
            return false;
        }
        bytes += length;
        remaining -= length;
    }
    return true;
}

Result<Command, CompileError> ScriptParser::parse(std::string_view source) {
    Parser parser(source);
    Command command;
    const int form = parser.either(
        "do", "tell",
        "\u201cdo shell script\u201d or \u201ctell application \"System Events\"\u201d");
    if (form == 0) {
        parser.word("shell");
        parser.word("script");
        command.argument = parser.string();
    } else if (form == 1) {
        parser.word("application");
        if (const std::string application = parser.string();
            !parser.failed() && application != kSystemEvents) {
            parser.fail("the application \u201cSystem Events\u201d",
                        Token{Token::Kind::string, application});
        }
        parser.word("to");
        const int verb = parser.either("get", "delete", "\u201cget\u201d or \u201cdelete\u201d");
        if (verb == 0) {
            command.kind = Command::Kind::loginItemNames;
            for (const char* word : {"the", "name", "of", "every", "login", "item"}) {
                parser.word(word);
            }
        } else if (verb == 1) {
            command.kind = Command::Kind::deleteLoginItem;
            parser.word("login");
            parser.word("item");
            command.argument = parser.string();
        }
    }
    parser.end();
    if (parser.failed()) {
        return CompileError{parser.error()};
    }
    return command;
}

} // namespace tavrel::platform::linux_script
