// The real start of a program: found or not, started without waiting, and why not.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <thread>

#include "core/launcher.h"
#include "scratch.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

using namespace setup::core;

namespace {

// What a started program writes into file: waits until it holds expected,
// or gives up after a minute (however busy the machine) and gives what it
// holds then.
std::string awaitMarker(const fs::path& file, const std::string& expected)
{
    const auto read = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    std::string text = read();
    for (; text != expected && std::chrono::steady_clock::now() < giveUp; text = read())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return text;
}

std::string awaitMarker(const ScratchDrive& c, const std::string& relative, const std::string& expected)
{
    return awaitMarker(c.path(relative), expected);
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
    executable("AutoCAD 2004/acad.exe ", "#!/bin/sh\nprintf 'started\\n' >\"$(dirname \"$0\")/started\"\n");
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

namespace {

const std::string kNoWine =
    "es un programa de Windows y Wine no está instalado (no hay ningún wine en el PATH)";

// A Windows program as far as its headers go: an MS-DOS header whose field at
// 0x3C leads to the PE signature at signatureAt (left out when the file ends
// before). Another signature makes another kind of program.
std::string windowsProgram(std::uint32_t signatureAt, std::size_t size, const std::string& signature = {"PE\0\0", 4})
{
    std::string bytes(size, '\0');
    bytes.replace(0, 2, "MZ");
    for (int i = 0; i < 4; ++i)
        bytes[0x3C + i] = static_cast<char>(signatureAt >> (8 * i));
    if (signatureAt + signature.size() <= size)
        bytes.replace(signatureAt, signature.size(), signature);
    return bytes;
}

// A stand-in for wine in folder: it writes its arguments, one a line, into
// the file wine-args beside it.
void standInWine(const fs::path& folder)
{
    fs::create_directories(folder);
    std::ofstream(folder / "wine") << "#!/bin/sh\n"
                                      "for word; do printf '%s\\n' \"$word\"; done >\"$(dirname \"$0\")/wine-args.new\"\n"
                                      "mv \"$(dirname \"$0\")/wine-args.new\" \"$(dirname \"$0\")/wine-args\"\n";
    fs::permissions(folder / "wine", fs::perms(0700));
}

}  // namespace

TEST(Start, AWindowsProgramByItsContentStartsUnderTheWineOnPathNotAsALinuxOne)
{
    ScratchDrive c;
    standInWine(c.path("bin"));
    const ScopedVariable path("PATH", c.path("bin").string() + ":/usr/bin:/bin");
    SystemProcessStarter starter;
    const struct {
        std::string file, bytes;
        bool underWine;
    } cases[] = {
        {"AutoCAD 2004/acad.exe", windowsProgram(0x80, 0x200), true},
        {"far.exe", windowsProgram(0x10000, 0x10100), true},
        {"ACAD", windowsProgram(0x80, 0x84), true},  // by content, whatever the name
        {"dos.exe", windowsProgram(0, 0x200), false},      // an MS-DOS header alone
        {"cut.exe", windowsProgram(0x200, 0x202), false},  // the PE header beyond the end
        {"win16.exe", windowsProgram(0x80, 0x200, "NE"), false},
        {"elf.exe", "\x7f" "ELF\2\1\1" + std::string(0x100, '\0'), false},
    };
    for (const auto& [file, bytes, underWine] : cases) {
        c.write(file, bytes);
        fs::permissions(c.path(file), fs::perms(0700));
        fs::remove(c.path("bin/wine-args"));
        std::string windowsPath = "C:\\" + file;
        std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
        const StartResult started = starter.start(windowsPath);
        if (underWine) {
            EXPECT_EQ(started.status, StartResult::Status::Started) << file;
            const std::string args = c.path(file).string() + "\n";
            EXPECT_EQ(awaitMarker(c, "bin/wine-args", args), args) << file;
        } else {
            EXPECT_EQ(started.status, StartResult::Status::Failed) << file;
            EXPECT_EQ(started.reason, "no es un programa ejecutable") << file;
        }
    }

    // No wine: the warning names the reason.
    const ScopedVariable noWine("PATH", "/nonexistent:" + c.path("AutoCAD 2004").string());
    const StartResult refused = starter.start("C:\\AutoCAD 2004\\acad.exe");
    EXPECT_EQ(refused.status, StartResult::Status::Failed);
    EXPECT_EQ(refused.reason, kNoWine);
}

TEST(Start, TheLauncherStartsTheProgramInTheWinePrefixUnderWine)
{
    const ScratchHome home;
    const ScopedVariable noDriveC("RUK_DRIVE_C", {});
    const fs::path driveC = home.string() + "/.wine/drive_c";
    fs::create_directories(driveC / "AutoCAD 2004");
    std::ofstream(driveC / "AutoCAD 2004/acad.exe", std::ios::binary) << windowsProgram(0x80, 0x200);
    std::ofstream(driveC / "ruk.txt", std::ios::binary) << "C:\\AutoCAD 2004\\acad.exe\r\n";
    standInWine(home.string() + "/bin");
    SystemProcessStarter starter;
    {
        const ScopedVariable path("PATH", home.string() + "/bin:/usr/bin:/bin");
        const Launch launched = launchStoredProgram(starter);
        EXPECT_EQ(launched.next, Launch::Next::End);
        const std::string args = (driveC / "AutoCAD 2004/acad.exe").string() + "\n";
        EXPECT_EQ(awaitMarker(home.string() + "/bin/wine-args", args), args);
    }
    const ScopedVariable path("PATH", "/nonexistent");
    const Launch refused = launchStoredProgram(starter);
    EXPECT_EQ(refused.next, Launch::Next::Wizard);
    EXPECT_EQ(refused.warning, "No se puede iniciar el programa C:\\AutoCAD 2004\\acad.exe: " + kNoWine);
}
#endif
