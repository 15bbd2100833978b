// One thing the uninstall flow knows may be left of the product after a run, and why.
#pragma once

#include "Source/run/Trace.hpp"

#include <cstddef>
#include <optional>
#include <string>

namespace tavrel {

struct Remainder {
    enum class Kind {
        failed,     // a step failed on it; `reason` says why in words
        leftAlone,  // not the product's folder, so the step left it as it was
        foundAfter, // the inventory after the run still found it; `trace` is what it found
        cannotLook, // what the step removes could not be looked at after the run; `reason` why
    };
    int step = 0;
    Kind kind = Kind::failed;
    std::string subject; // what is there: a report's subject, a trace's name, or a group's name
    std::string reason;
    std::optional<Trace> trace;
    std::size_t grouped = 1; // failed: how many reports with this one reason it stands for

    friend bool operator==(const Remainder&, const Remainder&) = default;
};

} // namespace tavrel
