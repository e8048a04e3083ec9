// The parts of the Windows platform layer that are plain text handling or
// arithmetic, checked on Linux: the error texts it words as glibc does, how it
// takes the program's name off a Windows command line, and the 64-bit tick
// count it makes of GetTickCount's 32 bits on Windows XP.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/cmdline.h"
#include "platform/sysfile.h"
#include "platform/win32/tickcount.h"

TEST(WindowsPlatform, ErrorTextsAreWordedAsOnLinux)
{
    int worded = 0;
    for (int code = 0; code < 200; ++code) {
        if (const char* text = platform::sys::linuxErrorText(code)) {
            EXPECT_STREQ(text, std::strerror(code)) << code;
            ++worded;
        }
    }
    // Those the program's messages can show: opens, reads and writes that fail.
    for (int code : {ENOENT, EACCES, EPERM, EISDIR, ENOTDIR, EINVAL, EIO, ENOSPC, EFBIG, EROFS, EMFILE, ENAMETOOLONG,
                     EBUSY, EILSEQ})
        EXPECT_NE(platform::sys::linuxErrorText(code), nullptr) << code;
    EXPECT_GE(worded, 20);
}

TEST(WindowsPlatform, CommandLineTextAfterTheProgramName)
{
    const struct {
        const wchar_t* line;
        const wchar_t* text;
    } cases[] = {
        {L"kovra.exe in.txt out.txt", L"in.txt out.txt"},
        {L"kovra in.txt out file.txt", L"in.txt out file.txt"},
        // Blanks and tabs after the name go; those inside and at the end stay.
        {L"kovra.exe  \t in.txt   out.txt ", L"in.txt   out.txt "},
        {L"kovra.exe\tin.txt out.txt", L"in.txt out.txt"},
        // A quoted name ends at its closing quote, blanks inside it included.
        {L"\"C:\\Program Files\\RUK\\kovra.exe\" in.txt out.txt", L"in.txt out.txt"},
        {L"\"C:\\RUK\\kovra.exe\"in.txt out.txt", L"in.txt out.txt"},
        {L"\"C:\\Program Files\\kovra.exe", L""},
        // Unquoted, the name ends at the first blank, as Windows reads it.
        {L"C:\\Program Files\\kovra.exe a b", L"Files\\kovra.exe a b"},
        // Quotes after the name are part of the text.
        {L"kovra.exe in.txt \"out file.txt\"", L"in.txt \"out file.txt\""},
        {L"kovra.exe", L""},
        {L"kovra.exe   ", L""},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::textAfterProgramName(std::wstring_view(c.line)), std::wstring_view(c.text));
    EXPECT_EQ(platform::textAfterProgramName(std::string_view("kovra.exe a.txt b.txt")), "a.txt b.txt");
}

TEST(WindowsPlatform, WidenedTickCountCountsTheWrapsOfGetTickCount)
{
    using platform::win32::widenedTickCount;
    const struct {
        uint64_t before;
        uint32_t now;
        uint64_t widened;
    } cases[] = {
        {0, 0, 0},
        {1000, 5000, 5000},
        {0xfffffff0, 0x10, 0x100000010},             // the first wrap
        {0x3fffffff0, 0x10, 0x400000010},            // a later one
        {0x200000005, 0x5, 0x200000005},             // the same count again
        {0x2fffffffe, 0xffffffff, 0x2ffffffff},      // just before a wrap
    };
    for (const auto& c : cases) EXPECT_EQ(widenedTickCount(c.before, c.now), c.widened) << std::hex << c.before;
}
