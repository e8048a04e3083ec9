// The error trap of a procedure: runs its body, and on a run-time error shows
// "Error <procedure>: <description>" and gives nothing back.
#pragma once

#include <optional>
#include <string>
#include <type_traits>

#include "msgbox.h"
#include "runtime_error.h"

namespace platform {

template <class Body>
auto trap(const char* procedure, const Reporter& report, Body&& body)
    -> std::optional<std::invoke_result_t<Body>>
{
    try {
        return body();
    } catch (const RunError& error) {
        report(std::string("Error ") + procedure + ": " + error.description());
        return std::nullopt;
    }
}

}  // namespace platform
