#pragma once
// Writing a file, the part that differs between Windows and POSIX systems.

#include <filesystem>
#include <memory>
#include <string_view>

namespace setup::core {

// A new file that is to take the place of target. It is written beside the
// target under a name of its own, so that target keeps its old content until
// commit, which puts the new file, flushed to disk, in its place in one step:
// a reader finds the old file or the whole new one, never a part. A symbolic
// link at the target is replaced by the file, never written through. A
// pending file that is dropped without a commit is removed. Failures throw
// std::system_error.
class PendingFile {
public:
    // permissions: the new file's permission bits, where the system has them;
    // unknown for the usual ones of a new file.
    static std::unique_ptr<PendingFile> create(const std::filesystem::path& target,
                                               std::filesystem::perms permissions = std::filesystem::perms::unknown);
    virtual ~PendingFile() = default;

    virtual void write(std::string_view bytes) = 0;
    virtual void commit() = 0;

    const std::filesystem::path& target() const { return target_; }

protected:
    explicit PendingFile(std::filesystem::path target) : target_(std::move(target)) {}

private:
    std::filesystem::path target_;
};

}  // namespace setup::core
