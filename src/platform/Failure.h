#pragma once
// How an operation fails, carried as a value from the readers and the codec
// up to the document, which decides what the user is told.

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>

namespace tamr {

enum class FailureKind : std::uint8_t {
    Truncated,   // the data ends before what its header promises
    TooLarge,    // beyond the limits, or beyond what the file can justify
    OutOfMemory, // an allocation failed
    Unsupported, // a valid file of a kind the program does not take
    Corrupt,     // values no writer produces, or data that does not decode
};

// A short name of each kind, for logs and tests; never shown as a message.
constexpr std::string_view FailureName(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Truncated:
        return "truncated";
    case FailureKind::TooLarge:
        return "too large";
    case FailureKind::OutOfMemory:
        return "out of memory";
    case FailureKind::Unsupported:
        return "unsupported";
    case FailureKind::Corrupt:
        return "corrupt";
    }
    return "failed";
}

// Success, or the kind of failure; a TooLarge failure may say that it was
// the decode limit that refused the picture, which the user can raise.
class [[nodiscard]] Status {
public:
    Status() = default;
    // Implicit, so that a failing path reads `return FailureKind::Corrupt;`.
    constexpr Status(FailureKind kind) : failure_(kind) {} // NOLINT(google-explicit-constructor)
    static constexpr Status OverDecodeLimit()
    {
        Status status(FailureKind::TooLarge);
        status.overDecodeLimit_ = true;
        return status;
    }

    constexpr bool Ok() const { return !failure_; }
    constexpr explicit operator bool() const { return Ok(); }
    // The kind; only for a failed status.
    constexpr FailureKind Failure() const { return *failure_; }
    constexpr bool IsOverDecodeLimit() const { return overDecodeLimit_; }

private:
    std::optional<FailureKind> failure_;
    bool overDecodeLimit_ = false;
};

// A value, or the failure that left none.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}                // NOLINT(google-explicit-constructor)
    constexpr Result(FailureKind kind) : state_(Status(kind)) {} // NOLINT(google-explicit-constructor)
    // Only for a failed status.
    constexpr Result(Status failure) : state_(failure) {} // NOLINT(google-explicit-constructor)

    bool has_value() const { return std::holds_alternative<T>(state_); }
    explicit operator bool() const { return has_value(); }
    T& operator*() { return std::get<T>(state_); }
    const T& operator*() const { return std::get<T>(state_); }
    T* operator->() { return &std::get<T>(state_); }
    const T* operator->() const { return &std::get<T>(state_); }
    // The kind; only for a result without a value.
    FailureKind Failure() const { return std::get<Status>(state_).Failure(); }
    // The failure as a status, success when a value is held.
    Status AsStatus() const { return has_value() ? Status() : std::get<Status>(state_); }

private:
    std::variant<T, Status> state_;
};

} // namespace tamr
