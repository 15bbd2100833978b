// The alerts the uninstall flow builds itself: how a run ended, in the user's language.
#pragma once

#include "Source/errors/Alert.hpp"
#include "Source/localization/LocalizedStrings.hpp"
#include "Source/run/UninstallOutcome.hpp"

namespace tavrel {

class UninstallAlert {
public:
    /// The success alert (informational) when nothing of the product is known to be left;
    /// otherwise the failure alert (warning), whose informative text has one line for every step
    /// that left something: what is still there and why. One "OK" button either way.
    static Alert forOutcome(const UninstallOutcome& outcome, const LocalizedStrings& strings);

    /// The alert for an error that cannot show itself: the failure message, informational.
    static Alert forUnexpectedError(const LocalizedStrings& strings);
};

} // namespace tavrel
