#include "listboxes.h"

#include <QStyledItemDelegate>

#include "formkit.h"
#include "pictures.h"

namespace setup::platform {

namespace {

namespace layout = core::layout::form3;

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;

// Draws each line of the folder list indented by its depth, icon and all.
class IndentingDelegate final : public QStyledItemDelegate {
public:
    explicit IndentingDelegate(QWidget& list) : QStyledItemDelegate(&list), step_(twipsToPixels(layout::kFolderIndent, list)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + indent(index));
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    int indent(const QModelIndex& index) const { return index.data(kDepthRole).toInt() * step_; }

    int step_;
};

}  // namespace

DirList::DirList(QWidget* parent) : QListWidget(parent)
{
    const int icon = twipsToPixels(layout::kFolderIconSize, *this);
    setIconSize(QSize(icon, icon));
    setItemDelegate(new IndentingDelegate(*this));
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { emit openRequested(item->data(kPathRole).toString()); });
}

void DirList::setDrives(std::vector<core::Drive> drives)
{
    drives_ = std::move(drives);
}

bool DirList::setPath(const QString& path)
{
    const std::optional<core::FolderView> view = core::listFolder(utf8(path), drives_);
    if (!view)
        return false;
    clear();
    const QIcon open = folderIcon(true);
    const QIcon closed = folderIcon(false);
    int current = 0;
    for (const core::FolderEntry& entry : view->entries) {
        auto* item = new QListWidgetItem(entry.open ? open : closed, qt(entry.name), this);
        item->setData(kPathRole, qt(entry.path));
        item->setData(kDepthRole, entry.depth);
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
