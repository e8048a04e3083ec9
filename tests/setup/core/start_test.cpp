// The real start of a program: found or not, started without waiting, and why not.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "scratch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace setup::core;

namespace {

// Waits up to ten seconds for a file that a started program writes.
std::string awaitMarker(const ScratchDrive& c, const std::string& relative)
{
    for (int i = 0; i < 200 && !c.exists(relative); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return c.read(relative);
}

}  // namespace

#ifdef _WIN32
TEST(Start, AProgramStartsMaximisedAndWhatIsNotAProgramIsRefused)
{
    ScratchDrive c;
    SystemProcessStarter starter;
    EXPECT_EQ(starter.start("C:\\rukstart\\AutoCAD 2004\\acad.exe").status, StartResult::Status::NotFound);

    // This test program, copied under the name acad.exe, writes a marker and ends (see main).
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::create_directories(c.path("rukstart/AutoCAD 2004"));
    fs::copy_file(self, c.path("rukstart/AutoCAD 2004/acad.exe"));
    EXPECT_EQ(starter.start("C:\\rukstart\\AutoCAD 2004\\acad.exe").status, StartResult::Status::Started);
    EXPECT_EQ(awaitMarker(c, "rukstart/AutoCAD 2004/started"), "started maximised");

    c.write("rukstart/plain.txt", "not a program");
    const StartResult refused = starter.start("C:\\rukstart\\plain.txt");
    EXPECT_EQ(refused.status, StartResult::Status::Failed);
    EXPECT_EQ(refused.reason, "no es un programa ejecutable");
}
#else
TEST(Start, AProgramStartsUnderItsExactNameAndFailuresSayWhy)
{
    ScratchDrive c;
    SystemProcessStarter starter;
    EXPECT_EQ(starter.start("C:\\AutoCAD 2004\\acad.exe").status, StartResult::Status::NotFound);

    // A file name that ends in a blank is started under exactly that name.
    const auto executable = [&](const std::string& relative, const std::string& bytes) {
        c.write(relative, bytes);
        ::chmod(c.path(relative).c_str(), 0700);
    };
    executable("AutoCAD 2004/acad.exe ", "#!/bin/sh\necho started >\"$(dirname \"$0\")/started\"\n");
    EXPECT_EQ(starter.start("C:\\AutoCAD 2004\\acad.exe ").status, StartResult::Status::Started);
    EXPECT_EQ(awaitMarker(c, "AutoCAD 2004/started"), "started\n");

    // The reasons a program that exists does not start are given in Spanish.
    c.write("plain.txt", "not a program");
    const StartResult refused = starter.start("C:\\plain.txt");
    EXPECT_EQ(refused.status, StartResult::Status::Failed);
    EXPECT_EQ(refused.reason, "permiso denegado");
    executable("garbage.exe", std::string("MZ\0\1\2\3", 6));
    EXPECT_EQ(starter.start("C:\\garbage.exe").reason, "no es un programa ejecutable");
    executable("script", "#!/no/such/shell\n");
    EXPECT_EQ(starter.start("C:\\script").reason, "error del sistema");
}
#endif
