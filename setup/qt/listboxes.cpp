#include "listboxes.h"

#include <QStyle>

#include "core/locator.h"
#include "formkit.h"

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
    const std::optional<core::FolderView> view = core::listFolder(utf8(path));
    if (!view)
        return false;
    clear();
    int current = 0;
    for (const core::FolderEntry& entry : view->entries) {
        auto* item = new QListWidgetItem(QString(entry.depth * 2, u' ') + qt(entry.name), this);
        item->setIcon(style()->standardIcon(entry.open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
        item->setData(kPathRole, qt(entry.path));
        if (entry.open)
            current = count() - 1;
    }
    setCurrentRow(current);
    path_ = qt(view->path);
    emit Change();
    return true;
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
    for (const std::string& name : core::matchingFiles(utf8(path_), utf8(pattern_)))
        addItem(qt(name));
}

}  // namespace setup::platform
