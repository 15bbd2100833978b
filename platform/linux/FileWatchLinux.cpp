// File watch on Linux: inotify on the file's inode, read by a thread of the watch's own.
// Unlinking a file that is still open gives only IN_ATTRIB (IN_DELETE_SELF waits for the last
// close), so an attribute change that leaves the file without links counts as deletion.
#include "platform/FileWatch.hpp"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace tavrel::platform {

struct FileWatch::State {
    int file = -1; // our duplicate of the watched file
    int inotify = -1;
    int stop = -1; // eventfd that wakes the thread to end it
    Handler handler;
    std::thread thread;

    ~State() {
        for (const int descriptor : {file, inotify, stop}) {
            if (descriptor >= 0) {
                close(descriptor);
            }
        }
    }

    void run() {
        alignas(inotify_event) std::array<char, 4096> buffer{};
        std::array<pollfd, 2> waits{{{inotify, POLLIN, 0}, {stop, POLLIN, 0}}};
        for (;;) {
            if (poll(waits.data(), waits.size(), -1) < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return;
            }
            if ((waits[1].revents & POLLIN) != 0) {
                return;
            }
            const ssize_t length = ::read(inotify, buffer.data(), buffer.size());
            if (length <= 0) {
                continue;
            }
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
                deliver(event->mask);
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    void deliver(std::uint32_t mask) const {
        if ((mask & IN_DELETE_SELF) != 0) {
            handler(Event::deleted);
        } else if ((mask & IN_MOVE_SELF) != 0) {
            handler(Event::moved);
        } else if ((mask & IN_ATTRIB) != 0) {
            struct stat status {};
            if (fstat(file, &status) == 0 && status.st_nlink == 0) {
                handler(Event::deleted);
            }
        } else if ((mask & (IN_UNMOUNT | IN_IGNORED)) != 0) {
            handler(Event::revoked);
        }
    }
};

FileWatch::FileWatch(std::unique_ptr<State> state) : state_(std::move(state)) {}

std::unique_ptr<FileWatch> FileWatch::start(int fileDescriptor, Handler handler, int* error) {
    auto fail = [error](int number) -> std::unique_ptr<FileWatch> {
        if (error != nullptr) {
            *error = number;
        }
        return nullptr;
    };
    auto state = std::make_unique<State>();
    state->handler = std::move(handler);
    state->file = fcntl(fileDescriptor, F_DUPFD_CLOEXEC, 0);
    state->inotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    state->stop = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (state->file < 0 || state->inotify < 0 || state->stop < 0) {
        return fail(errno);
    }
    // The descriptor's /proc entry names the open inode itself, even if the file was renamed.
    const std::string path = "/proc/self/fd/" + std::to_string(state->file);
    if (inotify_add_watch(state->inotify, path.c_str(), IN_DELETE_SELF | IN_MOVE_SELF | IN_ATTRIB) <
        0) {
        return fail(errno);
    }
    State* raw = state.get();
    state->thread = std::thread([raw] { raw->run(); });
    return std::unique_ptr<FileWatch>(new FileWatch(std::move(state)));
}

void FileWatch::cancel() noexcept {
    if (!state_ || !state_->thread.joinable()) {
        return;
    }
    const std::uint64_t one = 1;
    (void)::write(state_->stop, &one, sizeof one);
    state_->thread.join();
}

FileWatch::~FileWatch() {
    cancel();
}

} // namespace tavrel::platform
