// Queued calls across the two threads: posted to an object that lives on the worker thread, and
// answered to the receiver, whose thread runs them in its event loop.
#include "Source/window/FlowWorker.hpp"

#include <QMetaObject>

namespace tavrel::window {

FlowWorker::FlowWorker(QObject* receiver) : receiver_(receiver) {
    thread_.setObjectName("flow");
    context_.moveToThread(&thread_);
    thread_.start();
}

FlowWorker::~FlowWorker() {
    thread_.quit();
    thread_.wait();
}

void FlowWorker::post(std::function<void()> call) {
    QMetaObject::invokeMethod(&context_, std::move(call), Qt::QueuedConnection);
}

void FlowWorker::answer(std::function<void()> call) const {
    QMetaObject::invokeMethod(receiver_, std::move(call), Qt::QueuedConnection);
}

void FlowWorker::survey(std::function<void(std::optional<Inventory>)> done) {
    post([this, done = std::move(done)] {
        auto inventory = flow_.survey();
        answer([done, inventory = std::move(inventory)] { done(inventory); });
    });
}

void FlowWorker::uninstall(std::function<void(const Step&)> started, std::function<void()> checking,
                           std::function<void(FlowResult)> done) {
    post([this, started = std::move(started), checking = std::move(checking),
          done = std::move(done)] {
        UninstallFlow::Events events;
        events.stepStarted = [&](const Step& step) {
            answer([started, row = &step] { started(*row); }); // rows live as long as the table
        };
        events.checking = [&] { answer(checking); };
        auto result = flow_.uninstall(events);
        answer([done, result = std::move(result)] { done(result); });
    });
}

} // namespace tavrel::window
