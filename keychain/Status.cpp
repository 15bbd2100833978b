// The result code table and the lookup of a case by its code.
#include "keychain/Status.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace tavrel::keychain {

namespace {

struct Row {
    std::int32_t code;
    std::string_view name;
    std::string_view message;
};

constexpr std::array<Row, Status::kCount> kRows{{
#define TAVREL_STATUS(name, code, message) {code, #name, message},
#include "keychain/StatusTable.def"
#undef TAVREL_STATUS
}};

// (code, case) sorted by code, for a binary search.
constexpr auto kByCode = [] {
    std::array<std::pair<std::int32_t, std::uint16_t>, Status::kCount> sorted{};
    for (std::size_t index = 0; index < Status::kCount; ++index) {
        sorted[index] = {kRows[index].code, static_cast<std::uint16_t>(index)};
    }
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}();

static_assert(std::adjacent_find(kByCode.begin(), kByCode.end(),
                                 [](const auto& left, const auto& right) {
                                     return left.first == right.first;
                                 }) == kByCode.end(),
              "two cases share a code");

} // namespace

std::optional<Status> Status::fromRawValue(std::int32_t code) noexcept {
    const auto found = std::lower_bound(
        kByCode.begin(), kByCode.end(), code,
        [](const auto& entry, std::int32_t wanted) { return entry.first < wanted; });
    if (found == kByCode.end() || found->first != code) {
        return std::nullopt;
    }
    return Status(static_cast<Case>(found->second));
}

Status Status::fromCode(std::int32_t code) noexcept {
    return fromRawValue(code).value_or(unexpectedError);
}

std::int32_t Status::rawValue() const noexcept {
    return kRows[case_].code;
}

std::string_view Status::description() const noexcept {
    return kRows[case_].message;
}

std::string Status::osStatusError() const {
    std::string text = "OSStatus error:[" + std::to_string(rawValue()) + "] ";
    text += description();
    return text;
}

std::string_view Status::name() const noexcept {
    return kRows[case_].name;
}

} // namespace tavrel::keychain
