// What became of one step of the uninstall run.
#pragma once

#include <ostream>

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

/// The status's name, for failing tests and logs.
inline std::ostream& operator<<(std::ostream& out, StepStatus status) {
    switch (status) {
    case StepStatus::removed:
        return out << "removed";
    case StepStatus::notFound:
        return out << "notFound";
    case StepStatus::leftInPlace:
        return out << "leftInPlace";
    case StepStatus::switchedOff:
        return out << "switchedOff";
    case StepStatus::alreadySwitchedOff:
        return out << "alreadySwitchedOff";
    case StepStatus::cleared:
        return out << "cleared";
    case StepStatus::failed:
        return out << "failed";
    }
    return out << "?";
}

} // namespace tavrel
