#pragma once
// Stand-ins for the platform interfaces and a scratch drive C:, shared by the tests.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QList>
#include <QTemporaryDir>
#include <QWidget>

#include "core/messages.h"
#include "core/processstart.h"

struct Message {
    QString text;
    setup::core::Icon icon;
    QString title;
};

// Records every message instead of showing a modal box.
class RecordingBoxes final : public setup::core::MessageBoxes {
public:
    void show(const std::string& text, setup::core::Icon icon, const std::string& title) override
    {
        messages.append({QString::fromStdString(text), icon, QString::fromStdString(title)});
    }
    QStringList texts() const
    {
        QStringList all;
        for (const Message& m : messages)
            all.append(m.text);
        return all;
    }
    QList<Message> messages;
};

// Records the programs it is asked to start and answers with a set result.
class RecordingStarter final : public setup::core::ProcessStarter {
public:
    setup::core::StartResult start(const std::string& program) override
    {
        started.append(QString::fromStdString(program));
        return result;
    }
    setup::core::StartResult result{setup::core::StartResult::Status::Started, {}};
    QStringList started;
};

// A fresh folder that stands for drive C: while the test runs.
class ScratchDrive {
public:
    ScratchDrive() { qputenv("RUK_DRIVE_C", QFile::encodeName(dir_.path())); }
    ~ScratchDrive() { qunsetenv("RUK_DRIVE_C"); }

    QString path(const QString& relative) const { return dir_.filePath(relative); }

    void write(const QString& relative, const QByteArray& bytes) const
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).path());
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
    }

    QByteArray read(const QString& relative) const
    {
        QFile in(path(relative));
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }

    bool exists(const QString& relative) const { return QFileInfo::exists(path(relative)); }

private:
    QTemporaryDir dir_;
};

// Closes and deletes every top-level window a test left behind; returns how many were visible.
inline int closeAllWindows()
{
    int visible = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        visible += w->isVisible() ? 1 : 0;
        w->close();
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return visible;
}

// The labels of form that cut off part of their text: wider than a one-line
// label, or more lines than a wrapping label holds.
inline QStringList clippedLabels(const QWidget& form)
{
    QStringList clipped;
    for (const QLabel* label : form.findChildren<QLabel*>()) {
        const QFontMetrics metrics = label->fontMetrics();
        const QRect needed = label->wordWrap()
                                 ? metrics.boundingRect(QRect(0, 0, label->width(), 1 << 20), Qt::TextWordWrap, label->text())
                                 : QRect(0, 0, metrics.horizontalAdvance(label->text()), metrics.height());
        if (needed.width() > label->width() || needed.height() > label->height())
            clipped.append(label->objectName());
    }
    return clipped;
}

// The widgets that Tab visits, starting at first, in order.
inline QList<QWidget*> tabOrder(QWidget* first, int count)
{
    QList<QWidget*> order{first};
    for (QWidget* w = first->nextInFocusChain(); order.size() < count && w != first; w = w->nextInFocusChain())
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(first->window()))
            order.append(w);
    return order;
}
