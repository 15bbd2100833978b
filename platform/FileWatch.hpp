// Watching one open file for deletion, renaming and revocation.
#pragma once

#include <functional>
#include <memory>

namespace tavrel::platform {

class FileWatch {
public:
    enum class Event { deleted, moved, revoked };
    using Handler = std::function<void(Event)>;

    /// Starts watching the file open as `fileDescriptor` (the watch keeps its own handle, so
    /// the caller may close its own at any time). The handler runs on a thread shared
    /// by every watch of the process, once per event, until the watch is cancelled; it should
    /// only hand the event on, e.g. to a serial queue, and must not start or cancel a watch.
    /// None when the file cannot be watched, with the error number in `error`.
    static std::unique_ptr<FileWatch> start(int fileDescriptor, Handler handler,
                                            int* error = nullptr);

    /// Stops the watch: when it returns, the handler is not running and never runs again. Safe
    /// from any thread but the handler's.
    void cancel() noexcept;
    ~FileWatch();

    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    /// What the platform keeps for one watch; opaque to callers.
    struct State;

private:
    explicit FileWatch(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

} // namespace tavrel::platform
