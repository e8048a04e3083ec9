// The message box of a batch program: one line on standard error, the
// program's name as its title, never waiting for anyone.
#pragma once

#include <functional>
#include <string>

namespace platform {

// Where the messages of a run go; tests collect them instead.
using Reporter = std::function<void(const std::string& text)>;

// Writes "kovra: " + text as one line on standard error.
void messageBox(const std::string& text);

}  // namespace platform
