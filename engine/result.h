#pragma once

#include <string>
#include <utility>
#include <variant>

namespace rundel {

/// The one way non-UI code reports failure: a value, or a message saying why there is none
/// (for a person to read; the UI shows it, the batch runner prints it).
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {} // NOLINT
    [[nodiscard]] static Result failure(std::string message) {
        return Result(std::in_place_index<1>, std::move(message));
    }

    [[nodiscard]] bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    /// The value; only when ok().
    [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
    /// Why there is no value; empty when ok().
    [[nodiscard]] const std::string& error() const {
        static const std::string none;
        return ok() ? none : std::get<1>(state_);
    }

private:
    template <std::size_t I>
    Result(std::in_place_index_t<I> index, std::string message)
        : state_(index, std::move(message)) {}

    std::variant<T, std::string> state_;
};

/// A Result with nothing to carry but success.
using Status = Result<std::monostate>;

} // namespace rundel
