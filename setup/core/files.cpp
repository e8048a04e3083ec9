#include "core/files.h"

#include <fstream>
#include <system_error>

#include "core/nativepath.h"
#include "core/pendingfile.h"
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
    const fs::path file = fsPath(nativePath(path));
    std::error_code ec;
    // A link to nothing is there but cannot be read, unlike a missing file.
    if (fs::symlink_status(file, ec).type() == fs::file_type::not_found)
        return {FirstLine::Status::NotFound, {}};
    const fs::file_status status = fs::status(file, ec);
    if (ec || fs::is_directory(status))
        return {FirstLine::Status::Unreadable, {}};
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {FirstLine::Status::Unreadable, {}};
    std::string line;
    for (char c; in.get(c) && c != '\r' && c != '\n';)
        line += c;
    if (in.bad())
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
    std::error_code ec;
    if (!fs::is_regular_file(fsPath(from), ec))
        fail("no se encuentra el archivo", from);
    if (endsInSeparator(to)) {
        if (!fs::is_directory(fsPath(to), ec))
            fail("no se encuentra la carpeta", to);
        to += utf8Of(fsPath(from).filename());
    }
    try {
        copyFile(fsPath(from), fsPath(to), overwrite);
    } catch (const std::system_error&) {
        fail("no se puede crear o reemplazar el archivo", to);
    }
}

}  // namespace setup::core
