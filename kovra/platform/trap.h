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

template <class Body>
auto trap(const char* procedure, std::optional<TrapError>& caught, Body&& body)
    -> std::optional<std::invoke_result_t<Body>>
{
    try {
        return body();
    } catch (const RunError& error) {
        caught = TrapError{procedure, error.description()};
        return std::nullopt;
    }
}

}  // namespace platform
