// An immutable text of a log record: either a literal of the program, which needs no copy, or
// the record's own copy, shared by the record's copies.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace tavrel::logging {

class LogText {
public:
    LogText() noexcept = default;

    /// A text with static storage duration, such as a string literal or a source location's
    /// file name. It is not copied.
    static LogText literal(std::string_view text) noexcept {
        LogText result;
        result.view_ = text;
        return result;
    }

    /// The text's own copy.
    static LogText copy(std::string_view text) {
        LogText result;
        result.owned_ = std::make_shared<const std::string>(text);
        result.view_ = *result.owned_;
        return result;
    }

    [[nodiscard]] std::string_view view() const noexcept { return view_; }

private:
    std::string_view view_;
    std::shared_ptr<const std::string> owned_; // keeps view_ alive when the text is a copy
};

/// A function name for a log call: only a literal converts, so the record need not copy it.
class FunctionName {
public:
    consteval FunctionName(const char* text) // NOLINT(google-explicit-constructor)
        : text_(text) {}
    [[nodiscard]] constexpr std::string_view view() const noexcept { return text_; }

private:
    std::string_view text_;
};

} // namespace tavrel::logging
