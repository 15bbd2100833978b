// Watching one open file for deletion, renaming and revocation.
#pragma once

#include "platform/File.hpp"
#include "platform/Result.hpp"

#include <functional>
#include <memory>

namespace tavrel::platform {

class FileWatch {
public:
    enum class Event { deleted, moved, revoked };
    using Handler = std::function<void(Event)>;

    /// Starts watching the open `file` (the watch keeps its own handle, so the caller may close
    /// the file at any time). The handler runs on a thread shared by every watch of the
    /// process, once per event, until the watch is cancelled; it should only hand the event on,
    /// e.g. to a serial queue, and must not start or cancel a watch.
    static Result<std::unique_ptr<FileWatch>> start(const File& file, Handler handler);

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
