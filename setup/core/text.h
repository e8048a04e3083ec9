#pragma once
// Text conversions. Inside setup every text is UTF-8; the files the system
// shares with its callers hold single-byte (Latin-1) text, and Windows speaks UTF-16.

#include <optional>
#include <string>
#include <string_view>

namespace setup::core {

// Each byte as the Latin-1 character it stands for.
std::string latin1ToUtf8(std::string_view latin1);

// The Latin-1 bytes of a UTF-8 text, or nothing when it holds a character
// beyond U+00FF (or is not valid UTF-8).
std::optional<std::string> utf8ToLatin1(std::string_view utf8);

#ifdef _WIN32
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);
#endif

}  // namespace setup::core
