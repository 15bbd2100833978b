// How a program that was run to its end ended, and what it wrote to its standard output.
#pragma once

#include <string>

namespace tavrel::platform {

struct ProcessEnd {
    int status = 0;         // its exit status, or 128 + the number of the signal that ended it
    std::string output;     // its standard output, up to the limit the caller set
    bool outputCut = false; // it wrote more than that; the rest was read and dropped
};

} // namespace tavrel::platform
