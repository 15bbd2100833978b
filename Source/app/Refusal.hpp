// Why the uninstall flow removed nothing: the run was not started.
#pragma once

#include "Source/errors/Alert.hpp"

namespace tavrel {

struct Refusal {
    enum class Reason {
        noHomeFolder,             // everything the run removes is named from it
        applicationRunning,       // a product application runs; the alert names it
        cannotTellWhetherRunning, // the running applications could not be listed
    };
    Reason reason = Reason::applicationRunning;
    Alert alert; // what to show; its message says why, in the user's language
};

} // namespace tavrel
