// The launch decision, the store-and-copy step, the locator's lists and path,
// and the splash picture.
#include <gtest/gtest.h>

#include "core/launcher.h"
#include "core/layout.h"
#include "core/locator.h"
#include "core/prism.h"
#include "core/wizard.h"
#include "scratch.h"

using namespace setup::core;

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

TEST(Launch, AnUnusablePathFileIsReportedAndNothingStarts)
{
    ScratchDrive c;
    RecordingStarter starter;
    c.write("ruk.txt", "\r\nC:\\second\\acad.exe\r\n");
    const Launch empty = launchStoredProgram(starter);
    EXPECT_EQ(empty.next, Launch::Next::Wizard);
    EXPECT_EQ(empty.warning, "El archivo c:\\ruk.txt no contiene la ruta de AutoCAD.");

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

TEST(Locator, DriveOfAPath)
{
#ifdef _WIN32
    const std::vector<std::string> drives{"A:\\", "C:\\", "Z:\\"};
    EXPECT_EQ(driveOf("c:\\users\\acad", drives), "C:\\");
    EXPECT_EQ(driveOf("Z:\\", drives), "Z:\\");
    EXPECT_EQ(driveOf("\\\\server\\share", drives), "A:\\");
    const std::vector<std::string> roots = driveRoots();
    EXPECT_NE(std::find(roots.begin(), roots.end(), "C:\\"), roots.end());
#else
    const std::vector<std::string> drives{"/", "/mnt/usb", "/mnt/usb2"};
    EXPECT_EQ(driveOf("/mnt/usb2/acad", drives), "/mnt/usb2");
    EXPECT_EQ(driveOf("/mnt/usb", drives), "/mnt/usb");
    EXPECT_EQ(driveOf("/mnt/usbx", drives), "/");
    EXPECT_EQ(driveRoots().at(0), "/");
    for (const std::string& root : driveRoots())
        EXPECT_TRUE(root.rfind("/proc", 0) && root.rfind("/sys", 0)) << root;
#endif
}

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

    EXPECT_FALSE(listFolder(utf8Of(folder / "missing")));
    EXPECT_FALSE(listFolder(utf8Of(folder / "acad.exe.bak")));

    EXPECT_EQ(matchingFiles(utf8Of(folder), kExecutable), std::vector<std::string>{"acad.exe"});
    // Names without regard to case, as a Windows file list has them.
    EXPECT_EQ(matchingFiles(utf8Of(folder / "b"), kExecutable), std::vector<std::string>{"ACAD.EXE"});
    EXPECT_EQ(matchingFiles(utf8Of(folder), "*.exe"), (std::vector<std::string>{"acad.exe", "xacad.exe"}));
    EXPECT_EQ(matchingFiles(utf8Of(folder), "a?ad.exe*"), (std::vector<std::string>{"acad.exe", "acad.exe.bak"}));
    EXPECT_TRUE(matchingFiles(utf8Of(folder / "missing"), "*").empty());
}

TEST(Picture, PrismOnItsPlateAgainstTheSky)
{
    const Picture picture = prismPicture();
    ASSERT_EQ(picture.width, 416);
    ASSERT_EQ(picture.height, 365);
    const auto at = [&](int x, int y) { return picture.pixels[std::size_t(y) * picture.width + x]; };
    const auto near = [](std::uint32_t rgb, int r, int g, int b) {
        return std::abs(int(rgb >> 16) - r) < 12 && std::abs(int(rgb >> 8 & 255) - g) < 12 &&
               std::abs(int(rgb & 255) - b) < 12;
    };
    EXPECT_TRUE(near(at(2, 2), 150, 196, 235));     // sky
    EXPECT_TRUE(near(at(80, 240), 245, 196, 0));    // plate
    EXPECT_TRUE(near(at(208, 36), 20, 20, 20));     // the mark above the prism
    EXPECT_TRUE(near(at(70, 155), 20, 20, 20));     // the mark on the left
    EXPECT_TRUE(near(at(206, 330), 215, 215, 220));  // pole
    EXPECT_TRUE(near(at(208, 87), 190, 190, 196));  // bezel
    const std::uint32_t glass = at(230, 175);
    EXPECT_GT(int(glass & 255), int(glass >> 16) + 30);  // blue glass
}

TEST(Layout, TwipsAtTheScreensResolution)
{
    EXPECT_EQ(layout::twipsToPixels(1440, 96), 96);
    EXPECT_EQ(layout::twipsToPixels(5130, 96), 342);
    EXPECT_EQ(layout::twipsToPixels(315, 96), 21);
    EXPECT_EQ(layout::twipsToPixels(5130, 144), 513);
}
