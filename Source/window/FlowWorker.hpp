// The uninstall flow on a thread of its own: the window asks, the worker makes the call (which
// may wait on a keychain, a script or a tree walk) and hands the answer back on the GUI thread,
// so that the window keeps repainting and answering meanwhile.
#pragma once

#include "Source/app/UninstallFlow.hpp"

#include <QObject>
#include <QThread>
#include <functional>

namespace tavrel::window {

class FlowWorker {
public:
    /// Answers and events are delivered on the thread of `receiver`, through its event loop, and
    /// dropped once it is gone.
    explicit FlowWorker(QObject* receiver);
    /// Waits for the call under way, if any; calls not yet started are dropped.
    ~FlowWorker();
    FlowWorker(const FlowWorker&) = delete;
    FlowWorker& operator=(const FlowWorker&) = delete;

    /// Takes the inventory (UninstallFlow::survey), then calls `done` with it. Calls run one at
    /// a time, in the order asked.
    void survey(std::function<void(std::optional<Inventory>)> done);

    /// Runs the flow (UninstallFlow::uninstall), telling `started` as each step starts and
    /// `checking` as the inventory after the run is taken, then calls `done` with the result.
    void uninstall(std::function<void(const Step&)> started, std::function<void()> checking,
                   std::function<void(FlowResult)> done);

private:
    // Runs `call` on the worker's thread.
    void post(std::function<void()> call);
    // Runs `call` on the receiver's thread.
    void answer(std::function<void()> call) const;

    UninstallFlow flow_;
    QObject* receiver_;
    QObject context_; // lives on thread_: calls posted to it run there
    QThread thread_;
};

} // namespace tavrel::window
