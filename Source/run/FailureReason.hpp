// The sentence a person reads for a step that failed on a file.
#pragma once

#include "platform/FileError.hpp"

#include <string>

namespace tavrel {

/// What could not be done and why, and where, when the failing item lies inside `subject`, the
/// item the step is about: "“TAVREL” couldn’t be removed: Read-only file system. (<path>)".
inline std::string fileFailureReason(const platform::FileError& error, const std::string& subject) {
    std::string sentence = error.localizedDescription();
    if (error.path() != subject) {
        sentence += " (" + error.path() + ")";
    }
    return sentence;
}

} // namespace tavrel
