// The base of every error the system throws: its textual description in the form
// TypeName(field: value, ...) and an alert for the user.
#pragma once

#include "Source/errors/Alertable.hpp"

#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel {

class Error : public std::exception, public Alertable {
public:
    /// The textual description, as log lines show it.
    [[nodiscard]] const std::string& description() const noexcept { return description_; }
    [[nodiscard]] const char* what() const noexcept override { return description_.c_str(); }

    /// The title of every alert button in the system; never localized.
    static constexpr const char* kOKButton = "OK";

    /// A text as a quoted literal: "a \"b\"\n", escaping quotes, backslashes and control bytes.
    static std::string quoted(std::string_view text);

protected:
    /// Keeps the description, which the derived type builds from its fields.
    explicit Error(std::string description) : description_(std::move(description)) {}

    /// An optional text: Optional("…") or nil.
    static std::string optionalQuoted(const std::optional<std::string>& text);
    /// An optional number: Optional(-1728) or nil.
    static std::string optionalNumber(const std::optional<long long>& number);

private:
    std::string description_;
};

} // namespace tavrel
