#pragma once

#include <vector>

#include <QListWidget>
#include <QString>

#include "core/locator.h"

class QPainter;

namespace setup::platform {

// A list box as Windows drives and draws one: the arrow keys, Home, End and
// the page keys move the selection itself, also onto the line that has the
// focus when nothing is selected yet; the line that has the focus is outlined
// while the list has the focus; and the frame is drawn over the list's lines,
// so that it shows on all four sides at any scale.
class ListBox : public QListWidget {
public:
    explicit ListBox(QWidget* parent = nullptr);

    // Draws the list's frame onto painter, over everything else.
    void paintFrame(QPainter& painter) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* frame_;
};

// A folder list: the folders from the drive's root down to the current path,
// each one indented a step further under an open folder's icon, then the
// subfolders of the current path under a closed one. Activating an entry
// (double click or Enter) asks for that folder through openRequested; the
// owner decides and calls setPath.
class DirList : public ListBox {
    Q_OBJECT
public:
    explicit DirList(QWidget* parent = nullptr);

    // The drives whose roots the list starts at (the one that holds the path).
    void setDrives(std::vector<core::Drive> drives);
    QString path() const { return path_; }
    // Lists path and emits Change. A folder that cannot be read leaves the list
    // as it was and returns false.
    bool setPath(const QString& path);

signals:
    void Change();
    void openRequested(const QString& path);

private:
    std::vector<core::Drive> drives_;
    QString path_;
};

// A file list: the files of one folder whose names match a pattern, compared
// without regard to case as a Windows file list does.
class FileList : public ListBox {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    QString path() const { return path_; }
    void setPath(const QString& path);
    void setPattern(const QString& pattern);
    // The name of the selected entry, empty when nothing is selected.
    QString fileName() const;

private:
    void refresh();

    QString path_;
    QString pattern_ = QStringLiteral("*");
};

}  // namespace setup::platform
