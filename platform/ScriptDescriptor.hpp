// The value a script hands back: a text, a list of values, or a value without a text form.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tavrel::platform {

class ScriptDescriptor {
public:
    /// A text.
    static ScriptDescriptor text(std::string value);
    /// A list of values, in order.
    static ScriptDescriptor list(std::vector<ScriptDescriptor> items);
    /// A value that has no text form (a script's "missing value").
    static ScriptDescriptor missingValue();

    /// The number of items of a list; 0 for any other value.
    [[nodiscard]] std::size_t numberOfItems() const noexcept;

    /// The text of a text value; none for any other value.
    [[nodiscard]] std::optional<std::string> stringValue() const;

    /// The value as a list: a list is itself, any other value a list of one item. None when the
    /// value cannot be a list (the system's descriptors can refuse; ours never do).
    [[nodiscard]] std::optional<ScriptDescriptor> coerceToList() const;

    /// The item at a 1-based index of a list; none outside the list or for any other value.
    [[nodiscard]] const ScriptDescriptor* descriptorAtIndex(std::size_t index) const noexcept;

    friend bool operator==(const ScriptDescriptor&, const ScriptDescriptor&) = default;

private:
    enum class Kind { text, list, missingValue };

    ScriptDescriptor(Kind kind, std::string text, std::vector<ScriptDescriptor> items)
        : kind_(kind), text_(std::move(text)), items_(std::move(items)) {}

    Kind kind_;
    std::string text_;
    std::vector<ScriptDescriptor> items_;
};

} // namespace tavrel::platform
