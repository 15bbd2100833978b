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
        // NOLINTNEXTLINE(misc-redundant-expression): redundant for some callables, not for all
        if constexpr (sizeof(Callable) <= kInlineSize &&
                      alignof(Callable) <= alignof(std::max_align_t) &&
                      std::is_nothrow_move_constructible_v<Callable>) {
            ::new (static_cast<void*>(storage)) Callable(std::forward<F>(function));
            ops_ = inlineOps<Callable>();
        } else {
            heap = new Callable(std::forward<F>(function));
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
        static constexpr Ops kOps{
            [](Task& task) { (*std::launder(reinterpret_cast<Callable*>(task.storage)))(); },
            [](Task& from, Task& to) noexcept {
                auto* source = std::launder(reinterpret_cast<Callable*>(from.storage));
                ::new (static_cast<void*>(to.storage)) Callable(std::move(*source));
                source->~Callable();
            },
            [](Task& task) noexcept {
                std::launder(reinterpret_cast<Callable*>(task.storage))->~Callable();
            },
        };
        return &kOps;
    }

    template <class Callable>
    static const Ops* heapOps() noexcept {
        static constexpr Ops kOps{
            [](Task& task) { (*static_cast<Callable*>(task.heap))(); },
            [](Task& from, Task& to) noexcept {
                to.heap = from.heap;
                from.heap = nullptr;
            },
            [](Task& task) noexcept { delete static_cast<Callable*>(task.heap); },
        };
        return &kOps;
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
        alignas(std::max_align_t) unsigned char storage[kInlineSize];
        void* heap;
    };
};

} // namespace tavrel::logging
