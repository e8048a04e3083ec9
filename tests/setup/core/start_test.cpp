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

// What a started program writes into the file relative: waits until it holds
// expected, or gives up after a minute (however busy the machine) and gives
// what it holds then.
std::string awaitMarker(const ScratchDrive& c, const std::string& relative, const std::string& expected)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    std::string text = c.read(relative);
    for (; text != expected && std::chrono::steady_clock::now() < giveUp; text = c.read(relative))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return text;
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
    EXPECT_EQ(awaitMarker(c, "rukstart/AutoCAD 2004/started", "started maximised"), "started maximised");

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
    EXPECT_EQ(awaitMarker(c, "AutoCAD 2004/started", "started\n"), "started\n");

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
