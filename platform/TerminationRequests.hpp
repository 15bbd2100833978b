// Requests from outside to end the program (Ctrl-C, a desktop session ending, `kill`), turned
// into an event a front end's loop can wait for, so that it quits in order instead of dying
// mid-write.
#pragma once

namespace tavrel::platform {

class TerminationRequests {
public:
    /// What a request that comes while one is pending does.
    enum class Second {
        waits,       // it is one more request; the program still ends in its own time
        endsProcess, // the process ends at once, as it would without watching
    };

    /// From now on a request (on Linux: SIGTERM, SIGINT or SIGHUP) makes the returned descriptor
    /// readable instead of ending the process. Call it once, on the main thread. -1 when it
    /// cannot be set up; requests then end the process as before.
    static int watch(Second second = Second::waits) noexcept;

    /// Takes the pending requests off `descriptor`, so that the next one is seen anew, and
    /// returns what the last of them was (on Linux its signal number); 0 when none was pending.
    /// Never blocks.
    static int acknowledge(int descriptor) noexcept;

    /// Ends the process as the request `request` (an acknowledge() answer) would have ended it
    /// without watching, so that whoever started the program sees why it ended.
    [[noreturn]] static void endAs(int request) noexcept;
};

} // namespace tavrel::platform
