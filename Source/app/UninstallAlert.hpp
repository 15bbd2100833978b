// The alerts the uninstall flow builds itself: how a run ended, in the user's language.
#pragma once

#include "Source/app/FlowResult.hpp"
#include "Source/errors/Alert.hpp"
#include "Source/localization/LocalizedStrings.hpp"
#include "Source/run/Step.hpp"

namespace tavrel {

class UninstallAlert {
public:
    /// The refusal's own alert when the run did not start; the success alert (informational)
    /// only when the removal is verified; otherwise the failure alert (warning), whose
    /// informative text has one line per remainder: what may still be there and why. One "OK"
    /// button each.
    static Alert forResult(const FlowResult& result, const LocalizedStrings& strings);

    /// The alert for an error that cannot show itself: the failure message, informational.
    static Alert forUnexpectedError(const LocalizedStrings& strings);

    /// The step's title in the user's language.
    static std::string stepTitle(const Step& step, const LocalizedStrings& strings);

    /// A trace in a few words a person reads in any language: the path, login item, service
    /// or domain, with "(pid 812)" for a process.
    static std::string traceName(const Trace& trace);
};

} // namespace tavrel
