#include "platform/filesystemobject.h"

#include <filesystem>
#include <system_error>

#include <QSaveFile>

#include "platform/winpath.h"

namespace setup::platform {

namespace fs = std::filesystem;

namespace {

fs::path toFsPath(const QString& nativeFile)
{
    return fs::path(nativeFile.toStdU16String());
}

[[noreturn]] void fail(const QString& what, const QString& nativeFile)
{
    throw FsoError{what + QStringLiteral(" ") + nativeFile};
}

bool isLatin1(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 0xFF)
            return false;
    return true;
}

}  // namespace

TextStream::TextStream(std::unique_ptr<QSaveFile> out, QString nativeFile)
    : out_(std::move(out)), nativeFile_(std::move(nativeFile))
{
}

TextStream::TextStream(TextStream&&) noexcept = default;
TextStream& TextStream::operator=(TextStream&&) noexcept = default;
TextStream::~TextStream() = default;

void TextStream::WriteLine(const QString& text)
{
    if (!isLatin1(text))
        throw FsoError{QStringLiteral("el texto tiene caracteres que no se pueden guardar en ") + nativeFile_};
    const QByteArray line = text.toLatin1() + "\r\n";
    if (out_->write(line) != line.size())
        fail(QStringLiteral("no se puede escribir en"), nativeFile_);
}

void TextStream::Close()
{
    if (!out_->commit())
        fail(QStringLiteral("no se puede escribir en"), nativeFile_);
}

TextStream FileSystemObject::CreateTextFile(const QString& path, bool overwrite)
{
    const QString file = nativePath(path);
    std::error_code ec;
    if (!overwrite && fs::exists(toFsPath(file), ec))
        fail(QStringLiteral("ya existe el archivo"), file);
    auto out = std::make_unique<QSaveFile>(file);
    if (!out->open(QIODevice::WriteOnly))
        fail(QStringLiteral("no se puede crear el archivo"), file);
    return TextStream(std::move(out), file);
}

void FileSystemObject::CopyFile(const QString& source, const QString& destination, bool overwrite)
{
    const QString from = nativePath(source);
    QString to = nativePath(destination);
    std::error_code ec;
    if (!fs::is_regular_file(toFsPath(from), ec))
        fail(QStringLiteral("no se encuentra el archivo"), from);
    if (to.endsWith(u'/')) {
        if (!fs::is_directory(toFsPath(to), ec))
            fail(QStringLiteral("no se encuentra la carpeta"), to);
        to += QString::fromStdU16String(toFsPath(from).filename().u16string());
    }
    const auto option = overwrite ? fs::copy_options::overwrite_existing : fs::copy_options::none;
    if (!fs::copy_file(toFsPath(from), toFsPath(to), option, ec))
        fail(QStringLiteral("no se puede crear o reemplazar el archivo"), to);
}

}  // namespace setup::platform
