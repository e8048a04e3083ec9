#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QTimer;

namespace setup {

namespace platform {
class MessageBoxes;
class ProcessStarter;
}  // namespace platform

class Form2;

// The splash and launcher. Timer1 fires once after the wait: it starts the
// program named in the path file and asks for the end of setup, or it hands
// over to the configuration wizard and closes the splash.
class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDefaultInterval = 3000;

    Form1(platform::MessageBoxes& boxes, platform::ProcessStarter& starter, int timerInterval = kDefaultInterval,
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
    void warnAndShowWizard(const QString& why);

    platform::MessageBoxes& boxes_;
    platform::ProcessStarter& starter_;
    int timerInterval_;
    QPointer<Form2> wizard_;
};

}  // namespace setup
