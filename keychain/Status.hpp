// The keychain's result codes: 403 cases in a fixed order, each with its code and its message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavrel::keychain {

class Status {
public:
    /// The cases, in table order; `Status::itemNotFound` converts to a Status.
    enum Case : std::uint16_t {
#define TAVREL_STATUS(name, code, message) name,
#include "keychain/StatusTable.def"
#undef TAVREL_STATUS
    };

    /// How many cases there are.
    static constexpr std::size_t kCount = 0
// NOLINTNEXTLINE(bugprone-macro-parentheses): each case adds one to the sum it stands in
#define TAVREL_STATUS(name, code, message) +1
#include "keychain/StatusTable.def"
#undef TAVREL_STATUS
        ;

    constexpr Status(Case value) noexcept : case_(value) {} // NOLINT: implicit, like an enum

    /// The case whose code is exactly `code`; none when no case has it.
    static std::optional<Status> fromRawValue(std::int32_t code) noexcept;
    /// The case of `code`, or unexpectedError when no case has it.
    static Status fromCode(std::int32_t code) noexcept;

    /// The case's code (an OSStatus value).
    [[nodiscard]] std::int32_t rawValue() const noexcept;
    /// The case's message; empty only for internalComponent.
    [[nodiscard]] std::string_view description() const noexcept;
    /// "OSStatus error:[<code>] <message>": how the keychain's lines show a status.
    [[nodiscard]] std::string osStatusError() const;
    /// The case's name, e.g. "itemNotFound".
    [[nodiscard]] std::string_view name() const noexcept;
    /// The case itself, for a switch.
    [[nodiscard]] constexpr Case value() const noexcept {
        return case_;
    }

    friend constexpr bool operator==(Status, Status) noexcept = default;

private:
    Case case_;
};

} // namespace tavrel::keychain
