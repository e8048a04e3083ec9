// The error trap of a procedure: runs its body, and on a run-time error gives
// back "Error <procedure>" with the error's description instead of a result.
#pragma once

#include <optional>
#include <string>
#include <type_traits>

#include "runtime_error.h"

namespace platform {

// What a trap caught: the procedure's name and the error's description, which
// is empty when the procedure failed without a run-time error.
struct TrapError {
    std::string procedure;
    std::string description;

    std::string text() const { return "Error " + procedure + ": " + description; }
};

// Runs body under the trap of procedure. Gives body's result, or none when a
// run-time error ended it (caught then says which); for a body without a
// result, whether it ran through.
template <class Body>
auto trap(const char* procedure, std::optional<TrapError>& caught, Body&& body)
{
    using Result = std::invoke_result_t<Body>;
    try {
        if constexpr (std::is_void_v<Result>) {
            body();
            return true;
        } else {
            return std::optional<Result>(body());
        }
    } catch (const RunError& error) {
        caught = TrapError{procedure, error.description()};
        if constexpr (std::is_void_v<Result>) return false;
        else return std::optional<Result>();
    }
}

}  // namespace platform
