#pragma once
#include <cerrno>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "platform/error.h"

namespace nv {

// Why an operation failed: words a person can read, and the system's error number when a
// system call was the cause (0 otherwise).
struct Failure {
  std::string reason;
  int systemError = 0;
};

// "what: <the system's words for `error`>", keeping the number.
Failure SystemFailure(const std::string& what, int error = errno);
// As SystemFailure when errno names a cause, else just `what`.
Failure FailureWithErrno(const std::string& what);

// The value of an operation that succeeded, or why it failed. `E` carries at least a
// `reason`; callers that need more than words (which step failed) give their own.
// Reading the value of a failure throws nv::Error with the reason: that is for callers whose
// failure the application's general error handler shows.
template <typename T, typename E = Failure>
class [[nodiscard]] Result {
 public:
  template <typename U = T>
    requires(std::is_constructible_v<T, U> && !std::is_same_v<std::remove_cvref_t<U>, Result> &&
             !std::is_same_v<std::remove_cvref_t<U>, E>)
  Result(U&& value) : state_(std::in_place_index<0>, std::forward<U>(value)) {}
  Result(E failure) : state_(std::in_place_index<1>, std::move(failure)) {}

  bool has_value() const { return state_.index() == 0; }
  explicit operator bool() const { return has_value(); }

  T& value() & { return Checked(), std::get<0>(state_); }
  const T& value() const& { return Checked(), std::get<0>(state_); }
  T&& value() && { return Checked(), std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T value_or(T fallback) const& { return has_value() ? std::get<0>(state_) : std::move(fallback); }

  // Only for a failure.
  const E& error() const { return std::get<1>(state_); }

 private:
  void Checked() const {
    if (!has_value()) throw Error(error().reason);
  }
  std::variant<T, E> state_;
};

template <typename E>
class [[nodiscard]] Result<void, E> {
 public:
  Result() = default;
  Result(E failure) : failure_(std::move(failure)) {}

  bool has_value() const { return !failure_; }
  explicit operator bool() const { return has_value(); }
  void value() const {
    if (failure_) throw Error(failure_->reason);
  }
  const E& error() const { return *failure_; }

 private:
  std::optional<E> failure_;
};

}  // namespace nv
