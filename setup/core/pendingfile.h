#pragma once
// Writing and copying files, the parts that differ between Windows and POSIX systems.

#include <filesystem>
#include <memory>
#include <string_view>

namespace setup::core {

// A new file that is to take the place of target. It is written beside the
// target under a name of its own, so that target keeps its old content until
// commit, which puts the new file, flushed to disk, in its place in one step.
// A pending file that is dropped without a commit is removed. Failures throw
// std::system_error.
class PendingFile {
public:
    static std::unique_ptr<PendingFile> create(const std::filesystem::path& target);
    virtual ~PendingFile() = default;

    virtual void write(std::string_view bytes) = 0;
    virtual void commit() = 0;

    const std::filesystem::path& target() const { return target_; }

protected:
    explicit PendingFile(std::filesystem::path target) : target_(std::move(target)) {}

private:
    std::filesystem::path target_;
};

// Copies the file from to the file to, replacing an existing one when
// overwrite is true. Throws std::system_error.
void copyFile(const std::filesystem::path& from, const std::filesystem::path& to, bool overwrite);

}  // namespace setup::core
