// Queued calls across two threads: posted to an object that lives on the worker thread, and
// answered to the receiver, whose thread runs them in its event loop.
#include "Source/window/WorkerThread.hpp"

#include <QMetaObject>

namespace tavrel::window {

WorkerThread::WorkerThread(QObject* receiver, const char* name) : receiver_(receiver) {
    thread_.setObjectName(name);
    context_.moveToThread(&thread_);
    thread_.start();
}

void WorkerThread::finish() {
    thread_.quit();
    thread_.wait();
}

void WorkerThread::post(std::function<void()> call) {
    QMetaObject::invokeMethod(&context_, std::move(call), Qt::QueuedConnection);
}

void WorkerThread::answer(std::function<void()> call) const {
    // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks): Qt's event owns the call
    QMetaObject::invokeMethod(receiver_, std::move(call), Qt::QueuedConnection);
}

} // namespace tavrel::window
