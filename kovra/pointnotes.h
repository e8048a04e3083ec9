// The texts of the messages about one record: where it is (GNU style,
// "file:line: "), which point it is, and what the user should look at.
#pragma once

#include <string>

#include "ed2et.h"
#include "platform/trap.h"

namespace kovra {

// The input line a message is about.
struct MessagePlace {
    std::string file;
    long line;

    std::string text(const std::string& what) const;     // "file:line: what"
    std::string warning(const std::string& what) const;  // "file:line: warning: what"
};

// The point a message is about, and what is missing from its record.
struct PointLabel {
    std::string name;  // trimmed; empty when the record has none
    std::string note;  // empty when every field is there

    std::string nameSuffix() const;  // " (point NAME)", or nothing
};

// "Error <stage>: <description> (point NAME; NOTE)", at the record's place. A
// point outside the grid has no description; the message says so instead.
std::string stageErrorText(const MessagePlace& place, const PointLabel& label,
                           const platform::TrapError& error);

std::string extrapolationWarning(const MessagePlace& place, const PointLabel& label,
                                 const Extrapolation& extrapolation);

// A failed read of the input: where, and why.
std::string readFailureText(const std::string& input, long line, const std::string& reason);

// A failed write of the output: the reason, and how much of the output is sound.
std::string writeFailureText(const std::string& output, const std::string& reason,
                             long completeThrough);

}  // namespace kovra
