#pragma once

#include <initializer_list>
#include <optional>

#include <QFont>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace setup {

namespace platform {
class MessageBoxes;
}

// Form layouts are given in twips, 1/1440 inch, converted to pixels at the
// logical DPI of the screen the widget is on.
int twipsToPixels(int twips, const QWidget& widget);

// Sets the widget's position and size inside its parent from twips.
void placeTwips(QWidget& widget, int left, int top, int width, int height);

// Names a new control and places it from twips, as the form's layout table gives it.
template <class Control>
Control* placed(Control* control, const QString& objectName, int left, int top, int width, int height)
{
    control->setObjectName(objectName);
    placeTwips(*control, left, top, width, height);
    return control;
}

// Tab visits the controls in the order given.
void setTabOrder(std::initializer_list<QWidget*> controls);

// Gives a form a fixed client area of the size in twips and centres it on its screen.
void setClientTwips(QWidget& form, int width, int height);

// The forms' default font, Arial 8.25 pt (Liberation Sans through fontconfig).
QFont defaultFont();
QFont arial(double pointSize, bool bold);

// A plain-text label at a position in twips, in font or else in its parent's
// font. A label high enough for two lines wraps its text at its width. A
// one-line label whose text runs wider than its box (the fonts here are not
// quite as narrow as the ones the layout was drawn with) is widened to the
// text's width, up to its parent's right edge, so that none of it is cut off.
QLabel* makeLabel(QWidget* parent, const QString& objectName, const QString& text, int left, int top,
                  int width, int height, const std::optional<QFont>& font = std::nullopt);

// A command button at a position in twips. Enter or keypad Enter presses it
// while it has the focus, as on Windows, in any form and not only in dialogs.
QPushButton* makeButton(QWidget* parent, const QString& objectName, const QString& caption, int left, int top,
                        int width, int height);

// The system's warning: the warning icon and the title "¡Atención!".
void warn(platform::MessageBoxes& boxes, const QString& text);

}  // namespace setup
