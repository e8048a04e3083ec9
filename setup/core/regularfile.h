#pragma once
// Reading a file, the part that differs between Windows and POSIX systems.

#include <cstddef>
#include <filesystem>
#include <memory>

namespace setup::core {

// A regular file open for reading. Nothing else is opened: a FIFO, a device
// or a folder behind the name is refused without waiting and without a read,
// so that reading what was opened always comes to an end.
class RegularFile {
public:
    enum class Status { Open, NotFound, Refused };
    struct Opened {
        Status status;
        std::unique_ptr<RegularFile> file;  // set when Open
    };

    // NotFound when nothing is there (a link to nothing is there, and Refused);
    // Refused for anything that is not a regular file or cannot be opened.
    static Opened open(const std::filesystem::path& path);
    virtual ~RegularFile() = default;

    // Up to size bytes from the current position; 0 at the end. Throws std::system_error.
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
    // The permission bits a copy takes over (unknown where the system has none).
    virtual std::filesystem::perms permissions() const = 0;
};

}  // namespace setup::core
