// Script result values.
#include "platform/ScriptDescriptor.hpp"

namespace tavrel::platform {

ScriptDescriptor ScriptDescriptor::text(std::string value) {
    return ScriptDescriptor(Kind::text, std::move(value), {});
}

ScriptDescriptor ScriptDescriptor::list(std::vector<ScriptDescriptor> items) {
    return ScriptDescriptor(Kind::list, {}, std::move(items));
}

ScriptDescriptor ScriptDescriptor::missingValue() {
    return ScriptDescriptor(Kind::missingValue, {}, {});
}

std::size_t ScriptDescriptor::numberOfItems() const noexcept {
    return kind_ == Kind::list ? items_.size() : 0;
}

std::optional<std::string> ScriptDescriptor::stringValue() const {
    return kind_ == Kind::text ? std::optional<std::string>(text_) : std::nullopt;
}

std::optional<ScriptDescriptor> ScriptDescriptor::coerceToList() const {
    return kind_ == Kind::list ? *this : list({*this});
}

const ScriptDescriptor* ScriptDescriptor::descriptorAtIndex(std::size_t index) const noexcept {
    return kind_ == Kind::list && index >= 1 && index <= items_.size() ? &items_[index - 1]
                                                                       : nullptr;
}

} // namespace tavrel::platform
