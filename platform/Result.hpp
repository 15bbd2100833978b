// The result of an operation that can fail, the one way every boundary of the system reports a
// failure it does not throw: a value, or the error that says why not.
//
// The convention, from the floor up: the platform returns values (a Result whose error is a
// FileError, a keychain's result code or a parse error, as each operation says); the jobs throw
// the system's Error types, as the operations they stand for throw; the run turns both into a
// StepReport, so that nothing is lost between a failure and the person who reads about it. A
// Result is never tested for truth implicitly: `ok()` says whether it holds a value, which
// keeps a Result<bool> from being read as its value.
#pragma once

#include "platform/FileError.hpp"

#include <optional>
#include <utility>
#include <variant>

namespace tavrel::platform {

template <class T, class E = FileError>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {} // NOLINT: implicit
    Result(E error) : state_(std::in_place_index<1>, std::move(error)) {} // NOLINT: implicit

    [[nodiscard]] bool ok() const noexcept { return state_.index() == 0; }

    /// The value; only when ok().
    [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
    [[nodiscard]] T& value() & { return std::get<0>(state_); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
    [[nodiscard]] const T& operator*() const& { return value(); }
    [[nodiscard]] const T* operator->() const { return &value(); }

    /// Why it failed; only when not ok().
    [[nodiscard]] const E& error() const { return std::get<1>(state_); }

    friend bool operator==(const Result&, const Result&) = default;

private:
    std::variant<T, E> state_;
};

/// The result of an operation that gives nothing back but may fail.
template <class E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(E error) : error_(std::move(error)) {} // NOLINT: implicit, like Result<T>

    [[nodiscard]] bool ok() const noexcept { return !error_.has_value(); }
    /// Why it failed; only when not ok().
    [[nodiscard]] const E& error() const { return *error_; }

private:
    std::optional<E> error_;
};

} // namespace tavrel::platform
