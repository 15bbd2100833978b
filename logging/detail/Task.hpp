// A move-only unit of work for a serial queue, stored inline when small so that queuing a log
// record allocates nothing beyond the record itself.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

namespace tavrel::logging {

class Task {
public:
    Task() noexcept = default;

    template <class F, class = std::enable_if_t<!std::is_same_v<std::decay_t<F>, Task>>>
    Task(F&& function) { // NOLINT(google-explicit-constructor): a Task is made from any callable.
        using Callable = std::decay_t<F>;
        if constexpr (sizeof(Callable) <= kInlineSize &&
                      alignof(Callable) <= alignof(std::max_align_t) &&
                      std::is_nothrow_move_constructible_v<Callable>) {
            ::new (static_cast<void*>(storage_)) Callable(std::forward<F>(function));
            ops_ = inlineOps<Callable>();
        } else {
            heap_ = new Callable(std::forward<F>(function));
            ops_ = heapOps<Callable>();
        }
    }

    Task(Task&& other) noexcept { moveFrom(other); }
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            reset();
            moveFrom(other);
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { reset(); }

    explicit operator bool() const noexcept { return ops_ != nullptr; }

    /// Runs the work. Calling an empty task is a programming error.
    void operator()() { ops_->invoke(*this); }

private:
    static constexpr std::size_t kInlineSize = 48;

    struct Ops {
        void (*invoke)(Task&);
        void (*move)(Task& from, Task& to) noexcept;
        void (*destroy)(Task&) noexcept;
    };

    template <class Callable>
    static const Ops* inlineOps() noexcept {
        static constexpr Ops ops{
            [](Task& task) { (*std::launder(reinterpret_cast<Callable*>(task.storage_)))(); },
            [](Task& from, Task& to) noexcept {
                auto* source = std::launder(reinterpret_cast<Callable*>(from.storage_));
                ::new (static_cast<void*>(to.storage_)) Callable(std::move(*source));
                source->~Callable();
            },
            [](Task& task) noexcept {
                std::launder(reinterpret_cast<Callable*>(task.storage_))->~Callable();
            },
        };
        return &ops;
    }

    template <class Callable>
    static const Ops* heapOps() noexcept {
        static constexpr Ops ops{
            [](Task& task) { (*static_cast<Callable*>(task.heap_))(); },
            [](Task& from, Task& to) noexcept {
                to.heap_ = from.heap_;
                from.heap_ = nullptr;
            },
            [](Task& task) noexcept { delete static_cast<Callable*>(task.heap_); },
        };
        return &ops;
    }

    void moveFrom(Task& other) noexcept {
        if (other.ops_ != nullptr) {
            other.ops_->move(other, *this);
            ops_ = other.ops_;
            other.ops_ = nullptr;
        }
    }

    void reset() noexcept {
        if (ops_ != nullptr) {
            ops_->destroy(*this);
            ops_ = nullptr;
        }
    }

    const Ops* ops_ = nullptr;
    union {
        alignas(std::max_align_t) unsigned char storage_[kInlineSize];
        void* heap_;
    };
};

} // namespace tavrel::logging
