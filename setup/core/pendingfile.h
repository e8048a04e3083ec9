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
//
// The new file's name is the target's followed by ".new" and a number of one
// to six digits ("ruk.txt.new123456"). Where the system has signals, one that
// ends the program (SIGTERM, SIGINT, SIGHUP, unless the program ignores or
// handles it itself) removes the pending files before the program ends by it.
// What a harder end leaves (SIGKILL, a power cut) removeLeftovers clears at
// the next start.
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

    // Whether name (the folder aside) is one a pending file of target takes.
    static bool isNameFor(const std::filesystem::path& target, const std::filesystem::path& name);
    // Removes the files beside target that pending files of it left behind:
    // only regular files of exactly that name pattern, and none that a running
    // program is still writing. Nothing fails: what cannot be removed stays.
    static void removeLeftovers(const std::filesystem::path& target);

protected:
    explicit PendingFile(std::filesystem::path target) : target_(std::move(target)) {}

    // The name of a new file for target, from a random number.
    static std::filesystem::path newName(const std::filesystem::path& target, unsigned number);

private:
    // Removes one leftover unless a running program still writes it.
    static void removeLeftover(const std::filesystem::path& file);

    std::filesystem::path target_;
};

}  // namespace setup::core
