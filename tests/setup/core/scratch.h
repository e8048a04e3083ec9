#pragma once
// A scratch drive C: for the tests of setup's core, and stand-ins for its interfaces.
//
// Elsewhere than on Windows, drive C: is a fresh temporary folder (through
// RUK_DRIVE_C). On Windows the system's files live on the real drive C:; the
// tests run in a throw-away Wine prefix, and each test removes what it made there.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/nativepath.h"
#include "core/processstart.h"

namespace fs = std::filesystem;

class ScratchDrive {
public:
    ScratchDrive();
    ~ScratchDrive();
    ScratchDrive(const ScratchDrive&) = delete;
    ScratchDrive& operator=(const ScratchDrive&) = delete;

    // A file or folder on the drive, by its path below the root ("ruk/inpout32.dll").
    fs::path path(const std::string& relative) const
    {
        made_.push_back(relative.substr(0, relative.find('/')));
        return root_ / setup::core::fsPath(relative);
    }

    void write(const std::string& relative, const std::string& bytes) const
    {
        const fs::path file = path(relative);
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
    }

    // A file of size bytes that starts with start and holds zeros after it,
    // without writing them: the file system leaves the rest as a hole.
    void writeSparse(const std::string& relative, const std::string& start, std::uint64_t size) const;

    std::string read(const std::string& relative) const
    {
        std::ifstream in(path(relative), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    bool exists(const std::string& relative) const { return fs::exists(path(relative)); }

    // Names in a folder, the root by default, that a pending file left behind ("ruk.txt.new…").
    std::vector<std::string> strays(const std::string& folder = "") const
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(root_ / setup::core::fsPath(folder)))
            if (setup::core::utf8Of(entry.path().filename()).find(".new") != std::string::npos)
                found.push_back(setup::core::utf8Of(entry.path().filename()));
        return found;
    }

private:
    fs::path root_;
    mutable std::vector<std::string> made_;
};

#ifndef _WIN32
// An environment variable set to value (unset for none) until the end of the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::optional<std::string>& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// A fresh home folder in HOME, and WINEPREFIX unset, for the tests of what the
// drives are when RUK_DRIVE_X is not set: the machine's own ~/.wine and
// ~/.ruk play no part.
class ScratchHome {
public:
    ScratchHome();
    ~ScratchHome();

    std::string string() const { return root_.string(); }

private:
    fs::path root_;
    ScopedVariable home_;
    ScopedVariable winePrefix_;
};
#endif

struct Message {
    std::string text;
    setup::core::Icon icon;
    std::string title;
    bool operator==(const Message&) const = default;
};

class RecordingBoxes final : public setup::core::MessageBoxes {
public:
    void show(const std::string& text, setup::core::Icon icon, const std::string& title) override
    {
        messages.push_back({text, icon, title});
    }
    std::vector<Message> messages;
};

class RecordingStarter final : public setup::core::ProcessStarter {
public:
    setup::core::StartResult start(const std::string& program) override
    {
        started.push_back(program);
        return result;
    }
    setup::core::StartResult result{setup::core::StartResult::Status::Started, {}};
    std::vector<std::string> started;
};
