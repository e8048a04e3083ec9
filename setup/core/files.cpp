#include "core/files.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "core/nativepath.h"
#include "core/pendingfile.h"
#include "core/regularfile.h"
#include "core/text.h"

namespace setup::core {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(std::string_view what, const std::string& file)
{
    throw FsoError{std::string(what) + " " + file};
}

bool endsInSeparator(std::string_view path)
{
    return !path.empty() && (path.back() == '/' || path.back() == kSeparator);
}

}  // namespace

FirstLine readFirstLine(std::string_view path)
{
    const RegularFile::Opened opened = RegularFile::open(fsPath(nativePath(path)));
    switch (opened.status) {
    case RegularFile::Status::NotFound:
        return {FirstLine::Status::NotFound, {}};
    case RegularFile::Status::Refused:
        return {FirstLine::Status::Unreadable, {}};
    case RegularFile::Status::Open:
        break;
    }
    // Never more than one byte beyond the longest line: a longer one, and a
    // file that goes on without a line end, are not read to their end.
    std::string line;
    char buffer[4096];
    try {
        while (line.size() <= kLongestFirstLine) {
            const std::size_t wanted = std::min(sizeof buffer, kLongestFirstLine + 1 - line.size());
            const std::string_view chunk(buffer, opened.file->read(buffer, wanted));
            const std::size_t end = chunk.find_first_of("\r\n");
            line.append(chunk.substr(0, end));
            if (end != std::string_view::npos || chunk.empty())
                break;
        }
    } catch (const std::system_error&) {
        return {FirstLine::Status::Unreadable, {}};
    }
    // A NUL would end the path where the system reads it, naming another file
    // than the one the line holds.
    if (line.size() > kLongestFirstLine || line.find('\0') != std::string::npos)
        return {FirstLine::Status::Unreadable, {}};
    return {FirstLine::Status::Read, latin1ToUtf8(line)};
}

TextStream::TextStream(std::unique_ptr<PendingFile> file) : file_(std::move(file)) {}
TextStream::TextStream(TextStream&&) noexcept = default;
TextStream& TextStream::operator=(TextStream&&) noexcept = default;
TextStream::~TextStream() = default;

void TextStream::WriteLine(std::string_view text)
{
    const std::string file = utf8Of(file_->target());
    const std::optional<std::string> latin1 = utf8ToLatin1(text);
    if (!latin1)
        fail("el texto tiene caracteres que no se pueden guardar en", file);
    try {
        file_->write(*latin1 + "\r\n");
    } catch (const std::system_error&) {
        fail("no se puede escribir en", file);
    }
}

void TextStream::Close()
{
    try {
        file_->commit();
    } catch (const std::system_error&) {
        fail("no se puede escribir en", utf8Of(file_->target()));
    }
}

TextStream FileSystemObject::CreateTextFile(std::string_view path, bool overwrite)
{
    const std::string file = nativePath(path);
    std::error_code ec;
    if (!overwrite && fs::exists(fsPath(file), ec))
        fail("ya existe el archivo", file);
    try {
        return TextStream(PendingFile::create(fsPath(file)));
    } catch (const std::system_error&) {
        fail("no se puede crear el archivo", file);
    }
}

void FileSystemObject::CopyFile(std::string_view source, std::string_view destination, bool overwrite)
{
    const std::string from = nativePath(source);
    std::string to = nativePath(destination);
    const RegularFile::Opened input = RegularFile::open(fsPath(from));
    if (input.status == RegularFile::Status::NotFound)
        fail("no se encuentra el archivo", from);
    if (input.status == RegularFile::Status::Refused)
        fail("no se puede leer el archivo", from);
    std::error_code ec;
    if (endsInSeparator(to)) {
        if (!fs::is_directory(fsPath(to), ec))
            fail("no se encuentra la carpeta", to);
        to += utf8Of(fsPath(from).filename());
    }
    if (!overwrite && fs::exists(fs::symlink_status(fsPath(to), ec)))
        fail("ya existe el archivo", to);
    // The copy takes the place of an existing file only once it is whole, so
    // that a failure half-way leaves that file as it was.
    std::unique_ptr<PendingFile> copy;
    try {
        copy = PendingFile::create(fsPath(to), input.file->permissions());
    } catch (const std::system_error&) {
        fail("no se puede crear o reemplazar el archivo", to);
    }
    std::vector<char> buffer(1 << 16);
    for (;;) {
        std::size_t got = 0;
        try {
            got = input.file->read(buffer.data(), buffer.size());
        } catch (const std::system_error&) {
            fail("no se puede leer el archivo", from);
        }
        if (got == 0)
            break;
        try {
            copy->write(std::string_view(buffer.data(), got));
        } catch (const std::system_error&) {
            fail("no se puede escribir en", to);
        }
    }
    try {
        copy->commit();
    } catch (const std::system_error&) {
        fail("no se puede crear o reemplazar el archivo", to);
    }
}

}  // namespace setup::core
