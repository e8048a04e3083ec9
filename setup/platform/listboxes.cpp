#include "platform/listboxes.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>

namespace setup::platform {

namespace {

constexpr int kPathRole = Qt::UserRole;

}  // namespace

DirList::DirList(QWidget* parent) : QListWidget(parent)
{
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit openRequested(item->data(kPathRole).toString()); });
}

bool DirList::setPath(const QString& path)
{
    const QFileInfo folder(path);
    if (!folder.isDir() || !folder.isReadable() || !folder.isExecutable())
        return false;
    const QString absolute = QDir::cleanPath(folder.absoluteFilePath());
    clear();
    // The chain of open folders, from the root down to the current one.
    const QStringList parts = absolute.split(u'/', Qt::SkipEmptyParts);
    addEntry(QStringLiteral("/"), QStringLiteral("/"), 0, true);
    QString current;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        current += u'/' + parts[i];
        addEntry(parts[i], current, int(i) + 1, true);
    }
    setCurrentRow(count() - 1);
    const QString prefix = absolute.endsWith(u'/') ? absolute : absolute + u'/';
    const QDir dir(absolute);
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        addEntry(name, prefix + name, int(parts.size()) + 1, false);
    path_ = absolute;
    emit Change();
    return true;
}

void DirList::addEntry(const QString& name, const QString& fullPath, int depth, bool open)
{
    auto* item = new QListWidgetItem(QString(depth * 2, u' ') + name, this);
    item->setIcon(style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
    item->setData(kPathRole, fullPath);
}

FileList::FileList(QWidget* parent) : QListWidget(parent) {}

void FileList::setPath(const QString& path)
{
    path_ = path;
    refresh();
}

void FileList::setPattern(const QString& pattern)
{
    pattern_ = pattern;
    refresh();
}

QString FileList::fileName() const
{
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void FileList::refresh()
{
    clear();
    if (path_.isEmpty())
        return;
    const QDir dir(path_, pattern_, QDir::Name | QDir::IgnoreCase, QDir::Files | QDir::Hidden);
    addItems(dir.entryList());
}

}  // namespace setup::platform
