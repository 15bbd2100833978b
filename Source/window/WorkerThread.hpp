// A thread of the window's own for calls that may wait (a keychain, a script, a tree walk): the
// window hands a call over, the thread makes it, and the answer comes back on the GUI thread
// through its event loop, so that the window keeps repainting and answering meanwhile.
#pragma once

#include <QObject>
#include <QThread>
#include <functional>
#include <utility>

namespace tavrel::window {

class WorkerThread {
public:
    /// Answers are delivered on the thread of `receiver`, and dropped once it is gone.
    explicit WorkerThread(QObject* receiver, const char* name);
    /// Waits for the call under way, if any; calls not yet started are dropped (see finish).
    ~WorkerThread() { finish(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    /// Runs `call` on this thread, after the calls handed over before it.
    void post(std::function<void()> call);

    /// Waits for the call under way, if any, and drops the calls not yet started; later calls
    /// are dropped too.
    void finish();

    /// Runs `call` on the receiver's thread; callable from any thread.
    void answer(std::function<void()> call) const;

    /// Runs `work` on this thread, then `done` with what it returned on the receiver's thread.
    template <class Work, class Done>
    void run(Work work, Done done) {
        post([this, work = std::move(work), done = std::move(done)]() mutable {
            answer(
                [done = std::move(done), result = work()]() mutable { done(std::move(result)); });
        });
    }

private:
    QObject* receiver_;
    QObject context_; // lives on thread_: calls posted to it run there
    QThread thread_;
};

} // namespace tavrel::window
