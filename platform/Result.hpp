// The result of a platform operation that can fail: a value, or the FileError that says why not.
#pragma once

#include "platform/FileError.hpp"

#include <optional>
#include <utility>
#include <variant>

namespace tavrel::platform {

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {} // NOLINT: implicit
    Result(FileError error) : state_(std::in_place_index<1>, std::move(error)) {} // NOLINT

    [[nodiscard]] bool ok() const noexcept { return state_.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    /// The value; only when ok().
    [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
    [[nodiscard]] T& value() & { return std::get<0>(state_); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
    [[nodiscard]] const T& operator*() const& { return value(); }
    [[nodiscard]] const T* operator->() const { return &value(); }

    /// Why it failed; only when not ok().
    [[nodiscard]] const FileError& error() const { return std::get<1>(state_); }

private:
    std::variant<T, FileError> state_;
};

/// The result of an operation that gives nothing back but may fail.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(FileError error) : error_(std::move(error)) {} // NOLINT: implicit, like Result<T>

    [[nodiscard]] bool ok() const noexcept { return !error_; }
    explicit operator bool() const noexcept { return ok(); }
    /// Why it failed; only when not ok().
    [[nodiscard]] const FileError& error() const { return *error_; }

private:
    std::optional<FileError> error_;
};

} // namespace tavrel::platform
