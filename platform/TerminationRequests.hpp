// Requests from outside to end the program (a desktop session ending, `kill`), turned into an
// event a front end's loop can wait for, so that it quits in order instead of dying mid-write.
#pragma once

namespace tavrel::platform {

class TerminationRequests {
public:
    /// From now on a request (on Linux: SIGTERM, SIGINT or SIGHUP) makes the returned descriptor
    /// readable instead of ending the process. Call it once, on the main thread. -1 when it
    /// cannot be set up; requests then end the process as before.
    static int watch() noexcept;

    /// Takes the pending requests off `descriptor`, so that the next one is seen anew.
    static void acknowledge(int descriptor) noexcept;
};

} // namespace tavrel::platform
