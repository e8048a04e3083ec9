// The launch decision, the store-and-copy step, the locator's lists and path,
// and the forms' layouts.
#include <gtest/gtest.h>

#include "core/launcher.h"
#include "core/layout.h"
#include "core/locator.h"
#include "core/wizard.h"
#include "scratch.h"

using namespace setup::core;
using namespace std::string_literals;

namespace {

const std::string kSep(1, kSeparator);

Message warning(const std::string& text)
{
    return {text, Icon::Warning, "¡Atención!"};
}

}  // namespace

TEST(Launch, StartsTheFirstLineOrHandsOverToTheWizard)
{
    ScratchDrive c;
    RecordingStarter starter;
    const Launch firstRun = launchStoredProgram(starter);
    EXPECT_EQ(firstRun.next, Launch::Next::Wizard);
    EXPECT_EQ(firstRun.warning, "");
    EXPECT_TRUE(starter.started.empty());

    // Only the first line, used exactly as it stands.
    c.write("ruk.txt", "  C:\\AutoCAD 2004\\acad.exe \r\nC:\\second\\acad.exe\r\n");
    const Launch launched = launchStoredProgram(starter);
    EXPECT_EQ(launched.next, Launch::Next::End);
    EXPECT_EQ(launched.storedPath, "  C:\\AutoCAD 2004\\acad.exe ");
    EXPECT_EQ(starter.started, std::vector<std::string>{"  C:\\AutoCAD 2004\\acad.exe "});

    // AutoCAD moved: the wizard, quietly; the path file stays as it was.
    starter.result = {StartResult::Status::NotFound, {}};
    const Launch moved = launchStoredProgram(starter);
    EXPECT_EQ(moved.next, Launch::Next::Wizard);
    EXPECT_EQ(moved.warning, "");
    EXPECT_EQ(c.read("ruk.txt"), "  C:\\AutoCAD 2004\\acad.exe \r\nC:\\second\\acad.exe\r\n");

    starter.result = {StartResult::Status::Failed, "permiso denegado"};
    EXPECT_EQ(launchStoredProgram(starter).warning,
              "No se puede iniciar el programa   C:\\AutoCAD 2004\\acad.exe : permiso denegado");
}

TEST(Launch, AnUnusablePathFileIsReportedAndNothingStartsNotEvenAPathCutAtANul)
{
    ScratchDrive c;
    RecordingStarter starter;
    c.write("ruk.txt", "\r\nC:\\second\\acad.exe\r\n");
    const Launch empty = launchStoredProgram(starter);
    EXPECT_EQ(empty.next, Launch::Next::Wizard);
    EXPECT_EQ(empty.warning, "El archivo c:\\ruk.txt no contiene la ruta de AutoCAD.");

    // A NUL would end the path early: C:\ac is not the program the line names.
    c.write("ruk.txt", "C:\\ac\0zz\\acad.exe\r\n"s);
    const Launch cutShort = launchStoredProgram(starter);
    EXPECT_EQ(cutShort.next, Launch::Next::Wizard);
    EXPECT_EQ(cutShort.warning, "No se puede leer el archivo c:\\ruk.txt.");
    c.write("windows.ruk", "WINDOWS XP\0 or not\r\n"s);
    EXPECT_EQ(recordedWindowsVersion(), "");

    fs::remove(c.path("ruk.txt"));
    fs::create_directories(c.path("ruk.txt"));
    const Launch unreadable = launchStoredProgram(starter);
    EXPECT_EQ(unreadable.next, Launch::Next::Wizard);
    EXPECT_EQ(unreadable.warning, "No se puede leer el archivo c:\\ruk.txt.");
    EXPECT_TRUE(starter.started.empty());
}

TEST(Wizard, LibraryFolderByExactVersionName)
{
    EXPECT_EQ(libraryFolderFor("WINDOWS 2000/NT"), "C:\\winnt\\system\\");
    EXPECT_EQ(libraryFolderFor("WINDOWS XP"), "C:\\windows\\system\\");
    EXPECT_EQ(libraryFolderFor("WINDOWS 98"), "C:\\windows\\system\\");
    for (const char* other : {"Windows XP", "WINDOWS XP ", "WINDOWS ME", ""})
        EXPECT_EQ(libraryFolderFor(other), "") << other;
}

TEST(Wizard, StoresThePathAndCopiesTheLibraryForTheVersion)
{
    ScratchDrive c;
    EXPECT_EQ(recordedWindowsVersion(), "");
    c.write("windows.ruk", "WINDOWS 2000/NT\r\nmore\r\n");
    EXPECT_EQ(recordedWindowsVersion(), "WINDOWS 2000/NT");

    c.write("ruk/inpout32.dll", "port i/o library");
    c.write("ruk.txt", "C:\\old\\acad.exe\r\nsecond line\r\n");
    fs::create_directories(c.path("winnt/system"));
    RecordingBoxes boxes;
    EXPECT_TRUE(storePathAndCopyLibrary("C:\\AutoCAD 2004\\acad.exe", "WINDOWS 2000/NT", boxes));
    EXPECT_EQ(c.read("ruk.txt"), "C:\\AutoCAD 2004\\acad.exe\r\n");
    EXPECT_EQ(c.read("winnt/system/inpout32.dll"), "port i/o library");
    EXPECT_TRUE(boxes.messages.empty());

    // An unknown version copies nothing and is no failure; blanks are a path.
    fs::remove(c.path("winnt/system/inpout32.dll"));
    EXPECT_TRUE(storePathAndCopyLibrary(" ", "Windows 2000/NT", boxes));
    EXPECT_EQ(c.read("ruk.txt"), " \r\n");
    EXPECT_FALSE(c.exists("winnt/system/inpout32.dll"));
    EXPECT_TRUE(boxes.messages.empty());
}

TEST(Wizard, NothingHalfDoneWhenAStepFails)
{
    ScratchDrive c;
    const std::string old = "C:\\old\\acad.exe\r\n";
    c.write("ruk.txt", old);
    fs::create_directories(c.path("winnt/system"));
    RecordingBoxes boxes;

    EXPECT_FALSE(storePathAndCopyLibrary("", "WINDOWS 2000/NT", boxes));
    EXPECT_EQ(boxes.messages, std::vector<Message>{warning("No hay una ruta definida")});

    // No library to copy: the old path file stays.
    boxes.messages.clear();
    EXPECT_FALSE(storePathAndCopyLibrary("C:\\new\\acad.exe", "WINDOWS 2000/NT", boxes));
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text.rfind("No se ha podido copiar c:\\ruk\\inpout32.dll en C:\\winnt\\system\\: ", 0),
              0u)
        << boxes.messages[0].text;
    EXPECT_EQ(c.read("ruk.txt"), old);

    // A path that cannot be stored copies nothing.
    c.write("ruk/inpout32.dll", "port i/o library");
    boxes.messages.clear();
    EXPECT_FALSE(storePathAndCopyLibrary("C:\\Ω\\acad.exe", "WINDOWS 2000/NT", boxes));
    ASSERT_EQ(boxes.messages.size(), 1u);
    EXPECT_EQ(boxes.messages[0].text.rfind("No se ha podido guardar la ruta en c:\\ruk.txt: ", 0), 0u);
    EXPECT_FALSE(c.exists("winnt/system/inpout32.dll"));
    EXPECT_EQ(c.read("ruk.txt"), old);
    EXPECT_TRUE(c.strays().empty());
}

TEST(Locator, AcceptsOnlyAcadExeAndJoinsAsItStands)
{
    RecordingBoxes boxes;
    const std::string folder = "C:" + kSep + "AutoCAD 2004";
    EXPECT_EQ(acceptSelection(folder, "acad.exe", boxes), folder + kSep + "acad.exe");
    // At a root the separators double.
    EXPECT_EQ(acceptSelection("C:" + kSep, "acad.exe", boxes), "C:" + kSep + kSep + "acad.exe");
    EXPECT_TRUE(boxes.messages.empty());
    EXPECT_EQ(acceptSelection(folder, "ACAD.EXE", boxes), std::nullopt);
    EXPECT_EQ(acceptSelection(folder, "", boxes), std::nullopt);
    EXPECT_EQ(boxes.messages, (std::vector<Message>{warning("Ruta incorrecta"), warning("Ruta incorrecta")}));
}

#ifndef _WIN32
TEST(Locator, OnAMappedDriveTheWizardGetsTheWindowsPathNotTheFolderItIsMappedOnto)
{
    const std::vector<Drive> drives = {
        {"C: (/srv/c)", "/srv/c", "C:\\"}, {"/", "/", "/"}, {"E: (/srv/c/e)", "/srv/c/e", "E:\\"}};
    const struct {
        std::string folder, named, accepted;
    } cases[] = {
        {"/srv/c/AutoCAD 2004", "C:\\AutoCAD 2004", "C:\\AutoCAD 2004\\acad.exe"},
        {"/srv/c", "C:\\", "C:\\\\acad.exe"},  // the root: joined as it stands
        {"/srv/c/a/b c", "C:\\a\\b c", "C:\\a\\b c\\acad.exe"},
        {"/srv/c/e/x", "E:\\x", "E:\\x\\acad.exe"},  // the drive with the longest root
        {"/srv/cd", "/srv/cd", "/srv/cd/acad.exe"},   // outside the mapped drives: as it stands
        {"/opt/acad", "/opt/acad", "/opt/acad/acad.exe"},
        {"/", "/", "//acad.exe"},
    };
    const ScopedVariable driveC("RUK_DRIVE_C", "/srv/c");
    const ScopedVariable driveE("RUK_DRIVE_E", "/srv/c/e");
    RecordingBoxes boxes;
    for (const auto& [folder, named, accepted] : cases) {
        EXPECT_EQ(windowsFormOf(folder, drives), named) << folder;
        EXPECT_EQ(acceptSelection(named, "acad.exe", boxes), accepted) << folder;
        // What is stored names the same file again.
        EXPECT_EQ(fs::path(nativePath(accepted)).lexically_normal(), fs::path(folder + "/acad.exe").lexically_normal());
    }
    EXPECT_TRUE(boxes.messages.empty());
}
#endif

TEST(Locator, DriveOfAPath)
{
    const auto named = [](std::vector<std::string> roots) {
        std::vector<Drive> drives;
        for (const std::string& root : roots)
            drives.push_back({root, root, root});
        return drives;
    };
#ifdef _WIN32
    const std::vector<Drive> drives = named({"A:\\", "C:\\", "Z:\\"});
    EXPECT_EQ(driveOf("c:\\users\\acad", drives), 1u);
    EXPECT_EQ(driveOf("Z:\\", drives), 2u);
    EXPECT_EQ(driveOf("\\\\server\\share", drives), 0u);
    const std::vector<Drive> machine = listDrives();
    EXPECT_NE(std::find(machine.begin(), machine.end(), Drive{"C:\\", "C:\\", "C:\\"}), machine.end());
#else
    const std::vector<Drive> drives = named({"/", "/mnt/usb", "/mnt/usb2"});
    EXPECT_EQ(driveOf("/mnt/usb2/acad", drives), 2u);
    EXPECT_EQ(driveOf("/mnt/usb", drives), 1u);
    EXPECT_EQ(driveOf("/mnt/usbx", drives), 0u);
    for (const Drive& drive : listDrives())
        EXPECT_TRUE(drive.root.rfind("/proc", 0) && drive.root.rfind("/sys", 0)) << drive.root;
#endif
}

#ifndef _WIN32
TEST(Locator, TheMappedDrivesComeFirstSoThatDriveCCanBeReached)
{
    const ScratchHome scratchHome;
    const std::string home = scratchHome.string();
    ::setenv("RUK_DRIVE_C", "/srv/ruk/c/", 1);
    ::setenv("RUK_DRIVE_E", (home + "/e-drive").c_str(), 1);
    ::setenv("RUK_DRIVE_F", "", 1);  // empty: not mapped
    std::vector<Drive> drives = listDrives();
    ::unsetenv("RUK_DRIVE_E");
    ::unsetenv("RUK_DRIVE_F");
    ASSERT_GE(drives.size(), 3u);
    EXPECT_EQ(drives[0], (Drive{"C: (/srv/ruk/c)", "/srv/ruk/c", "C:\\"}));
    EXPECT_EQ(drives[1], (Drive{"E: (~/e-drive)", home + "/e-drive", "E:\\"}));
    EXPECT_EQ(drives[2], (Drive{"/", "/", "/"}));
    EXPECT_EQ(driveOf("/srv/ruk/c/AutoCAD 2004", drives), 0u);
    EXPECT_EQ(driveOf("/srv/ruk/cd", drives), 2u);

    // Without RUK_DRIVE_C, drive C: is still there: ~/.ruk/C, a folder below
    // the home folder whose name starts with a dot.
    ::unsetenv("RUK_DRIVE_C");
    drives = listDrives();
    EXPECT_EQ(drives.at(0), (Drive{"C: (~/.ruk/C)", home + "/.ruk/C", "C:\\"}));
    EXPECT_EQ(drives.at(1).root, "/");
}
#endif

TEST(Locator, FolderAndFileLists)
{
    ScratchDrive c;
    for (const char* file : {"ruklist/acad.exe", "ruklist/acad.exe.bak", "ruklist/xacad.exe", "ruklist/b/ACAD.EXE",
                             "ruklist/A/x", "ruklist/.hidden/x"})
        c.write(file, "");
    const fs::path folder = c.path("ruklist");
    const std::optional<FolderView> view = listFolder(utf8Of(folder / ""));
    ASSERT_TRUE(view);
    EXPECT_EQ(view->path, utf8Of(folder));
    ASSERT_GE(view->entries.size(), 4u);
    const FolderEntry& root = view->entries.front();
    EXPECT_EQ(root.path, utf8Of(folder.root_path()));
    EXPECT_EQ(root.depth, 0);
    const std::size_t n = view->entries.size();
    const FolderEntry& current = view->entries[n - 3];
    EXPECT_EQ(current.name, "ruklist");
    EXPECT_EQ(current.path, utf8Of(folder));
    EXPECT_TRUE(current.open);
    EXPECT_EQ(current.depth, int(n) - 3);
    EXPECT_EQ(view->entries[n - 2].name, "A");
    EXPECT_EQ(view->entries[n - 2].path, utf8Of(folder / "A"));
    EXPECT_EQ(view->entries[n - 1].name, "b");
    EXPECT_EQ(view->entries[n - 1].depth, current.depth + 1);
    EXPECT_FALSE(view->entries[n - 1].open);

    // On a drive the list starts at the drive's root, by the drive's name.
    const Drive drive{"R:", utf8Of(folder), "R:" + kSep};
    const Drive elsewhere{"Q:", utf8Of(folder / "b"), "Q:"};
    const std::optional<FolderView> onDrive = listFolder(utf8Of(folder / "A"), {elsewhere, drive});
    ASSERT_TRUE(onDrive);
    ASSERT_EQ(onDrive->entries.size(), 2u);
    EXPECT_EQ(onDrive->entries[0].name, "R:" + kSep);
    EXPECT_EQ(onDrive->entries[0].path, utf8Of(folder));
    EXPECT_EQ(onDrive->entries[1].name, "A");
    EXPECT_EQ(onDrive->entries[1].depth, 1);
    // A drive that does not hold the folder: from the root of the file system.
    EXPECT_EQ(listFolder(utf8Of(folder / "A"), {elsewhere})->entries.size(), n - 1);

    EXPECT_FALSE(listFolder(utf8Of(folder / "missing")));
    EXPECT_FALSE(listFolder(utf8Of(folder / "acad.exe.bak")));

    EXPECT_EQ(matchingFiles(utf8Of(folder), kExecutable), std::vector<std::string>{"acad.exe"});
    // Names without regard to case, as a Windows file list has them.
    EXPECT_EQ(matchingFiles(utf8Of(folder / "b"), kExecutable), std::vector<std::string>{"ACAD.EXE"});
    EXPECT_EQ(matchingFiles(utf8Of(folder), "*.exe"), (std::vector<std::string>{"acad.exe", "xacad.exe"}));
    EXPECT_EQ(matchingFiles(utf8Of(folder), "a?ad.exe*"), (std::vector<std::string>{"acad.exe", "acad.exe.bak"}));
    EXPECT_TRUE(matchingFiles(utf8Of(folder / "missing"), "*").empty());
}

TEST(Layout, LabelsGetTheRoomTheirTextNeeds)
{
    // A text of lineHeight pixels a line and width pixels on one line, which
    // wraps into as many lines as the wrapping width goes into its width.
    const auto text = [](int lineHeight, int width) {
        return layout::TextSize{lineHeight, width,
                                [=](int wrapWidth) { return lineHeight * ((width + wrapWidth - 1) / wrapWidth); }};
    };
    // In a parent of 300 by 200 pixels.
    const struct {
        const char* what;
        layout::PixelBox box;
        layout::TextSize size;
        layout::LabelBox fitted;
    } cases[] = {
        {"one line, widened to its text", {10, 5, 150, 16}, text(15, 200), {{10, 5, 200, 16}, false}},
        {"one line, never narrowed", {10, 5, 150, 16}, text(15, 50), {{10, 5, 150, 16}, false}},
        {"one line, a line high", {10, 5, 150, 12}, text(15, 100), {{10, 5, 150, 15}, false}},
        {"one line, no room: two lines", {10, 5, 150, 16}, text(15, 400), {{10, 5, 290, 30}, true}},
        {"one line, no room: further left", {100, 180, 150, 16}, text(15, 210), {{90, 180, 210, 16}, false}},
        {"one line, no room at all", {100, 180, 150, 16}, text(15, 400), {{0, 180, 300, 16}, false}},
        {"wrapped, lines that fit", {10, 5, 100, 30}, text(15, 200), {{10, 5, 100, 30}, true}},
        {"wrapped, widened until two lines fit", {10, 5, 100, 30}, text(15, 250), {{10, 5, 125, 30}, true}},
        {"wrapped, full width, then taller", {10, 5, 100, 30}, text(15, 900), {{10, 5, 290, 60}, true}},
        {"wrapped, up to the bottom edge", {10, 150, 100, 30}, text(15, 900), {{10, 150, 290, 50}, true}},
        {"wrapped, never lowered", {10, 5, 100, 60}, text(15, 150), {{10, 5, 100, 60}, true}},
    };
    for (const auto& [what, box, size, fitted] : cases) {
        const layout::LabelBox got = layout::fitLabel(box, size, 300, 200);
        EXPECT_EQ(got.box, fitted.box) << what;
        EXPECT_EQ(got.wraps, fitted.wraps) << what;
    }
}

TEST(Layout, TwipsAtTheScreensResolution)
{
    EXPECT_EQ(layout::twipsToPixels(1440, 96), 96);
    EXPECT_EQ(layout::twipsToPixels(5130, 96), 342);
    EXPECT_EQ(layout::twipsToPixels(315, 96), 21);
    EXPECT_EQ(layout::twipsToPixels(5130, 144), 513);
}
