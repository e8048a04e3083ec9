#include "listboxes.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "formkit.h"
#include "pictures.h"

namespace setup::platform {

namespace {

namespace layout = core::layout::form3;

constexpr int kPathRole = Qt::UserRole;
constexpr int kDepthRole = Qt::UserRole + 1;

// Draws each line of a list indented by its depth (a folder's), icon and
// all, and outlines the line that has the focus with a dotted rectangle, as
// Windows does, in the colour of the line's text: the style's own focus cue
// does not show on a selected line, which in a list box is the usual case.
class IndentingDelegate final : public QStyledItemDelegate {
public:
    explicit IndentingDelegate(QWidget& list) : QStyledItemDelegate(&list), step_(twipsToPixels(layout::kFolderIndent, list)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + indent(index));
        indented.state &= ~QStyle::State_HasFocus;
        QStyledItemDelegate::paint(painter, indented, index);
        if (option.state & QStyle::State_HasFocus)
            drawFocus(*painter, indented);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    int indent(const QModelIndex& index) const { return index.data(kDepthRole).toInt() * step_; }

    static void drawFocus(QPainter& painter, const QStyleOptionViewItem& line)
    {
        const bool selected = line.state & QStyle::State_Selected;
        const QColor colour = line.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        painter.save();
        painter.setPen(QPen(colour, 0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        // Half a pixel in, so that at any scale the line falls inside the line's rectangle.
        painter.drawRect(QRectF(line.rect).adjusted(0.5, 0.5, -0.5, -0.5));
        painter.restore();
    }

    int step_;
};

// Paints its list box's frame on top of the list's lines, whose white would
// otherwise cover a frame line that scaling puts on the same pixel.
class FrameOverlay final : public QWidget {
public:
    explicit FrameOverlay(ListBox& list) : QWidget(&list), list_(list)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        list_.paintFrame(painter);
    }

private:
    ListBox& list_;
};

bool movesTheSelection(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

}  // namespace

ListBox::ListBox(QWidget* parent) : QListWidget(parent), frame_(new FrameOverlay(*this))
{
    setItemDelegate(new IndentingDelegate(*this));
}

// A band one logical pixel wide along each edge, filled rather than stroked:
// at a scale such as 150 % a stroke one device pixel wide can be rounded to a
// pixel outside the list, while a band a pixel and a half wide always covers
// a whole device pixel inside it. The colour is the palette's Mid, the one
// the style's own frame has.
void ListBox::paintFrame(QPainter& painter) const
{
    const QColor colour = palette().color(QPalette::Mid);
    const int w = width();
    const int h = height();
    painter.fillRect(QRect(0, 0, w, 1), colour);
    painter.fillRect(QRect(0, h - 1, w, 1), colour);
    painter.fillRect(QRect(0, 0, 1, h), colour);
    painter.fillRect(QRect(w - 1, 0, 1, h), colour);
}

void ListBox::keyPressEvent(QKeyEvent* event)
{
    QListWidget::keyPressEvent(event);
    // At the first or last line the focus does not move, and Qt would leave
    // the line unselected that the focus came to with Tab.
    if (movesTheSelection(event->key()) && currentItem() && !currentItem()->isSelected())
        setCurrentItem(currentItem(), QItemSelectionModel::ClearAndSelect);
}

void ListBox::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    frame_->setGeometry(rect());
    frame_->raise();
}

DirList::DirList(QWidget* parent) : ListBox(parent)
{
    const int icon = twipsToPixels(layout::kFolderIconSize, *this);
    setIconSize(QSize(icon, icon));
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

FileList::FileList(QWidget* parent) : ListBox(parent) {}

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
