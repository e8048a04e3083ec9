#pragma once

#include <array>

#include <QPointer>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace setup {

namespace core {
class MessageBoxes;
}

class Form3;

// The first-run wizard: shows the recorded Windows version, takes the path of
// the AutoCAD executable in Text1, stores it in the path file and copies the
// port-I/O library for that version.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(core::MessageBoxes& boxes, QWidget* parent = nullptr);

    // The locator, while it is open.
    Form3* locator() const;

    QLabel* Label1;
    QGroupBox* Frame1;
    std::array<QLabel*, 2> Label2;
    QLabel* Label3;
    QLineEdit* Text1;
    QPushButton* Command1;
    QPushButton* Command2;

public slots:
    void Command1_Click();
    void Command2_Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();

    core::MessageBoxes& boxes_;
    QPointer<Form3> locator_;
};

}  // namespace setup
