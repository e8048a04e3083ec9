#include "Form3.h"

#include <filesystem>

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "Form2.h"
#include "core/messages.h"
#include "core/nativepath.h"
#include "formkit.h"
#include "listboxes.h"

namespace setup {

namespace layout = core::layout::form3;

Form3::Form3(Form2& wizard, core::MessageBoxes& boxes, std::vector<core::Drive> drives)
    : QWidget(&wizard, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint),
      wizard_(wizard), boxes_(boxes), drives_(std::move(drives))
{
    setUpForm(*this, layout::kForm);

    Label1 = makeLabel(this, layout::Label1);
    Drive1 = placed(new QComboBox(this), layout::Drive1);
    for (const core::Drive& drive : drives_)
        Drive1->addItem(qt(drive.name));
    Dir1 = placed(new platform::DirList(this), layout::Dir1);
    Dir1->setDrives(drives_);
    File1 = placed(new platform::FileList(this), layout::File1);
    File1->setPattern(qt(core::kExecutable));
    Command1 = makeButton(this, layout::Command1);
    Command2 = makeButton(this, layout::Command2);
    setup::setTabOrder({Drive1, Dir1, File1, Command1, Command2});

    // The three lists open on the current drive and folder, each on its own.
    const QString current = qt(core::utf8Of(std::filesystem::current_path()));
    selectDriveOf(current);
    Dir1->setPath(current);
    File1->setPath(current);

    connect(Drive1, &QComboBox::currentIndexChanged, this, &Form3::Drive1_Change);
    connect(Dir1, &platform::DirList::Change, this, &Form3::Dir1_Change);
    connect(Dir1, &platform::DirList::openRequested, this, &Form3::openFolder);
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form3::Command2_Click);
}

void Form3::Drive1_Change()
{
    const int index = Drive1->currentIndex();
    if (index < 0 || std::size_t(index) >= drives_.size())
        return;
    const core::Drive& drive = drives_[std::size_t(index)];
    if (!Dir1->setPath(qt(drive.root))) {
        core::warn(boxes_, core::unreadableDrive(drive.name));
        selectDriveOf(Dir1->path());
    }
}

void Form3::Dir1_Change()
{
    File1->setPath(Dir1->path());
}

void Form3::Command1_Click()
{
    // On a mapped drive Text1 gets the Windows path, as the folder list names the folder.
    const std::optional<std::string> path = core::acceptSelection(core::windowsFormOf(utf8(File1->path()), drives_),
                                                                  utf8(File1->fileName()), boxes_);
    if (!path)
        return;
    wizard_.Text1->setText(qt(*path));
    close();
}

void Form3::Command2_Click()
{
    close();
}

void Form3::openFolder(const QString& path)
{
    if (!Dir1->setPath(path))
        core::warn(boxes_, core::unreadableFolder(utf8(path)));
}

void Form3::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        Command2_Click();
    else
        QWidget::keyPressEvent(event);
}

void Form3::selectDriveOf(const QString& path)
{
    const QSignalBlocker quiet(Drive1);
    Drive1->setCurrentIndex(drives_.empty() ? -1 : int(core::driveOf(utf8(path), drives_)));
}

}  // namespace setup
