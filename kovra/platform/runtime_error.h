// Run-time errors: a number and a short description, raised as an exception
// and caught by the error trap of the stage that is running.
#pragma once

#include <stdexcept>
#include <string>

namespace platform {

enum ErrorNumber {
    kInvalidCall = 5,
    kOverflow = 6,
    kSubscriptOutOfRange = 9,
    kDivisionByZero = 11,
    kNoConvergence = 17,
    kBadFileName = 52,
    kFileNotFound = 53,
    kInputPastEnd = 62,
    kPermissionDenied = 70,
    kPathFileAccess = 75,
    kPathNotFound = 76,
};

class RunError : public std::runtime_error {
public:
    RunError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}
    int number() const { return number_; }
    std::string description() const { return what(); }

private:
    int number_;
};

inline RunError overflowError() { return {kOverflow, "Overflow"}; }
inline RunError divisionByZeroError() { return {kDivisionByZero, "Division by zero"}; }
inline RunError invalidOperationError() { return {kInvalidCall, "Invalid floating-point operation"}; }
inline RunError subscriptError() { return {kSubscriptOutOfRange, "Subscript out of range"}; }

}  // namespace platform
