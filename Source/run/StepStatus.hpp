// What became of one step of the uninstall run, and its names.
#pragma once

#include <array>
#include <ostream>
#include <string_view>

namespace tavrel {

enum class StepStatus {
    removed,            // the item was there and is gone
    notFound,           // nothing was there; never a failure
    leftInPlace,        // something other than the expected folder is there and was not touched
    switchedOff,        // the login item will no longer start at login
    alreadySwitchedOff, // the login item was already switched off; nothing was changed
    cleared,            // none is left now; whether any was there is not known (user defaults)
    failed,             // the step's error is in the report
};

/// The names of every status, in the enumeration's order.
struct StepStatusName {
    StepStatus status;
    std::string_view stable; // the JSON report's name: stable, callers rely on it
    std::string_view label;  // a few words for a person, as the summary shows them
};
inline constexpr std::array<StepStatusName, 7> kStepStatusNames{{
    {StepStatus::removed, "removed", "removed"},
    {StepStatus::notFound, "notFound", "not found"},
    {StepStatus::leftInPlace, "leftInPlace", "left alone"},
    {StepStatus::switchedOff, "switchedOff", "switched off"},
    {StepStatus::alreadySwitchedOff, "alreadySwitchedOff", "already off"},
    {StepStatus::cleared, "cleared", "cleared"},
    {StepStatus::failed, "failed", "FAILED"},
}};

/// The status's names.
constexpr const StepStatusName& namesOf(StepStatus status) {
    return kStepStatusNames.at(static_cast<std::size_t>(status));
}

/// Prints the stable name, so that a failing test reads as the report does.
inline std::ostream& operator<<(std::ostream& out, StepStatus status) {
    return out << namesOf(status).stable;
}

} // namespace tavrel
