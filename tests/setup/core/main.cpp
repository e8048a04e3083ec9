// The tests of setup's core. Under the name acad.exe the program stands in for
// the CAD program instead: it writes the marker "started" beside itself, with
// " maximised" when it was asked to open its window maximised, and ends.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#include <fstream>

namespace {

bool standInForAcad()
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path program(self);
    if (program.filename() != L"acad.exe")
        return false;
    STARTUPINFOW startup{};
    GetStartupInfoW(&startup);
    const bool maximised = (startup.dwFlags & STARTF_USESHOWWINDOW) && startup.wShowWindow == SW_SHOWMAXIMIZED;
    std::ofstream(program.parent_path() / "started") << (maximised ? "started maximised" : "started");
    return true;
}

}  // namespace
#endif

int main(int argc, char** argv)
{
#ifdef _WIN32
    if (standInForAcad())
        return 0;
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
