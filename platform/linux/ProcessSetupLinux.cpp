// Process set-up on Linux: SIGPIPE ignored, closed standard descriptors opened on /dev/null, the
// soft limit of open descriptors raised to the hard one (nothing here uses select()).
#include "platform/ProcessSetup.hpp"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tavrel::platform {

void prepareProcess() noexcept {
    (void)std::signal(SIGPIPE, SIG_IGN);
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) == -1 && errno == EBADF) {
            // open() takes the lowest free number, which is this one.
            const int opened = open("/dev/null", descriptor == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != descriptor) {
                (void)dup2(opened, descriptor);
                (void)close(opened);
            }
        }
    }
    rlimit descriptors{};
    if (getrlimit(RLIMIT_NOFILE, &descriptors) == 0 &&
        descriptors.rlim_cur < descriptors.rlim_max) {
        descriptors.rlim_cur = descriptors.rlim_max;
        (void)setrlimit(RLIMIT_NOFILE, &descriptors);
    }
}

} // namespace tavrel::platform
