#pragma once

#include <QPointer>
#include <QWidget>

#include "core/layout.h"

class QLabel;
class QTimer;

namespace setup {

namespace core {
class MessageBoxes;
class ProcessStarter;
}  // namespace core

class Form2;

// The splash and launcher. Timer1 fires once after the wait: it starts the
// program named in the path file and asks for the end of setup, or it hands
// over to the configuration wizard and closes the splash.
class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultInterval = core::layout::form1::kTimerInterval;

    Form1(core::MessageBoxes& boxes, core::ProcessStarter& starter, int timerInterval = kDefaultInterval,
          QWidget* parent = nullptr);

    // The wizard this splash opened, while it is open.
    Form2* wizard() const;

    QLabel* Label1;
    QLabel* Label2;
    QLabel* LBLinico;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Image1;
    QTimer* Timer1;

signals:
    // setup is to end at once: the program has been started, or the user
    // closed the splash before the timer fired.
    void endRequested();

public slots:
    void Timer1_Timer();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Load();
    void showWizard();

    core::MessageBoxes& boxes_;
    core::ProcessStarter& starter_;
    int timerInterval_;
    QPointer<Form2> wizard_;
};

}  // namespace setup
