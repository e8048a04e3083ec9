// The message box of a batch program: on Linux one line on standard error,
// the program's name as its title, never waiting for anyone. On Windows the
// same line when standard error is a file, a pipe or the console kovra was
// started from, and otherwise a modal message box for each error and one for
// all the warnings at the end (see msgbox.cpp).
#pragma once

#include <functional>
#include <string>

namespace platform {

// Where the messages of a run go; tests collect them instead.
using Reporter = std::function<void(const std::string& text)>;

// Writes "kovra: " + text as one line on standard error, or shows text in a
// message box titled "kovra". Control characters in it (from the input: a
// name with an escape sequence must not drive the terminal) are escaped.
void messageBox(const std::string& text);

// The last message of a run: its summary (empty when it has none), as the
// last line. Where messages are boxes (Windows), the warnings were gathered
// instead, and the summary heads the one box that shows them, at the end of
// the run: how many, the first 20.
void showSummary(const std::string& summary);

}  // namespace platform
