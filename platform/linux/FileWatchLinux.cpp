// File watch on Linux: inotify on the file's inode. One inotify instance and one reading thread
// serve every watch of the process, since closing an inotify instance waits for a kernel grace
// period of several milliseconds, which a log file roll must not pay each time.
// Unlinking a file that is still open gives only IN_ATTRIB (IN_DELETE_SELF waits for the last
// close), so an attribute change that leaves the file without links counts as deletion.
#include "platform/FileWatch.hpp"
#include "platform/linux/Descriptor.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace tavrel::platform {

namespace {

constexpr std::uint32_t kWatchMask = IN_DELETE_SELF | IN_MOVE_SELF | IN_ATTRIB;

} // namespace

struct FileWatch::State {
    linux_files::Descriptor file; // our own path handle of the watched file
    int watch = -1;               // the inotify watch; shared by every watch of the same inode
    bool active = false;          // registered with the watcher
    bool unlinkReported = false;  // the handler was told of an unlink
    Handler handler;

    void deliver(std::uint32_t mask) {
        if ((mask & IN_DELETE_SELF) != 0) {
            handler(Event::deleted);
        } else if ((mask & IN_MOVE_SELF) != 0) {
            handler(Event::moved);
        } else if ((mask & IN_ATTRIB) != 0 && !unlinkReported) {
            // Read when the event is handled, not when it happened: an earlier attribute change
            // may already see the file unlinked, and the unlink itself must not count twice.
            struct stat status {};
            if (fstat(file.get(), &status) == 0 && status.st_nlink == 0) {
                unlinkReported = true;
                handler(Event::deleted);
            }
        } else if ((mask & (IN_UNMOUNT | IN_IGNORED)) != 0) {
            handler(Event::revoked);
        }
    }
};

namespace {

// The process's one inotify instance. Handlers run under the lock, so that once a watch has
// left the table its handler is neither running nor ever called again.
class Watcher {
public:
    static Watcher& shared() {
        static auto* watcher = new Watcher(); // lives, with its thread, to the end of the process
        return *watcher;
    }

    // Registers the state; returns 0 or an error number.
    int add(FileWatch::State& state) {
        const std::lock_guard lock(mutex_);
        if (inotify_ < 0) {
            return startError_;
        }
        // The descriptor's /proc entry names the open inode itself, even if it was renamed.
        const std::string path = "/proc/self/fd/" + std::to_string(state.file.get());
        const int watch = inotify_add_watch(inotify_, path.c_str(), kWatchMask);
        if (watch < 0) {
            return errno;
        }
        state.watch = watch;
        state.active = true;
        watches_[watch].push_back(&state);
        return 0;
    }

    void remove(FileWatch::State& state) noexcept {
        const std::lock_guard lock(mutex_);
        if (!state.active) {
            return;
        }
        state.active = false;
        const auto found = watches_.find(state.watch);
        if (found == watches_.end()) {
            return; // the kernel already dropped the watch
        }
        auto& states = found->second;
        states.erase(std::remove(states.begin(), states.end(), &state), states.end());
        if (states.empty()) {
            watches_.erase(found);
            // Freeing the kernel's mark is deferred by the kernel, so this does not wait.
            (void)inotify_rm_watch(inotify_, state.watch);
        }
    }

private:
    Watcher() {
        inotify_ = inotify_init1(IN_CLOEXEC);
        if (inotify_ < 0) {
            startError_ = errno;
            return;
        }
        thread_ = std::thread([this] { run(); });
    }

    void run() {
        alignas(inotify_event) std::array<char, 4096> buffer{};
        for (;;) {
            const ssize_t length = ::read(inotify_, buffer.data(), buffer.size());
            if (length < 0 && errno != EINTR && errno != EAGAIN) {
                return;
            }
            const std::lock_guard lock(mutex_);
            for (ssize_t offset = 0; offset < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
                deliver(*event);
                offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    void deliver(const inotify_event& event) {
        const auto found = watches_.find(event.wd);
        if (found == watches_.end()) {
            return;
        }
        for (FileWatch::State* state : found->second) {
            try {
                state->deliver(event.mask);
            } catch (...) {
                // A handler only hands the event on; one that fails loses this event alone.
            }
        }
        if ((event.mask & IN_IGNORED) != 0) {
            // The kernel has dropped the watch (file gone or file system unmounted).
            for (FileWatch::State* state : found->second) {
                state->active = false;
            }
            watches_.erase(found);
        }
    }

    std::mutex mutex_;
    int inotify_ = -1;
    int startError_ = 0;
    std::unordered_map<int, std::vector<FileWatch::State*>> watches_;
    std::thread thread_;
};

} // namespace

FileWatch::FileWatch(std::unique_ptr<State> state) : state_(std::move(state)) {}

Result<std::unique_ptr<FileWatch>> FileWatch::start(const File& file, Handler handler) {
    auto state = std::make_unique<State>();
    state->handler = std::move(handler);
    // A handle of our own, opened afresh rather than duplicated: the kernel takes a lock on
    // every write to a file description that more than one descriptor shares.
    const std::string path = "/proc/self/fd/" + std::to_string(file.nativeHandle());
    state->file.reset(open(path.c_str(), O_PATH | O_CLOEXEC));
    const int failure = !state->file ? errno : Watcher::shared().add(*state);
    if (failure != 0) {
        return FileError(failure, file.path(), FileError::Operation::inspect);
    }
    return std::unique_ptr<FileWatch>(new FileWatch(std::move(state)));
}

void FileWatch::cancel() noexcept {
    if (state_) {
        Watcher::shared().remove(*state_);
    }
}

FileWatch::~FileWatch() {
    cancel();
}

} // namespace tavrel::platform
