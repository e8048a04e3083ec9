#pragma once

#include <initializer_list>

#include <QFont>
#include <QString>

#include "core/layout.h"

class QLabel;
class QPushButton;
class QWidget;

namespace setup {

// Qt text of a UTF-8 text from the core, and back.
QString qt(std::string_view utf8);
std::string utf8(const QString& text);

// Form layouts are given in twips, 1/1440 inch, converted to pixels at the
// logical DPI of the screen the widget is on.
int twipsToPixels(int twips, const QWidget& widget);

// Names a control after its layout entry, gives it the entry's font and
// places it inside its parent.
void place(QWidget& widget, const core::layout::Control& layout);

template <class Control>
Control* placed(Control* control, const core::layout::Control& layout)
{
    place(*control, layout);
    return control;
}

// Tab visits the controls in the order given.
void setTabOrder(std::initializer_list<QWidget*> controls);

// Gives a form its caption, its default font and a fixed client area of the
// layout's size. The form is centred on its screen, and once the window
// manager has framed it, so is its frame.
void setUpForm(QWidget& form, const core::layout::Form& layout);

// Arial (Liberation Sans through fontconfig) at a layout's size and weight.
QFont arial(const core::layout::Font& font);

// A plain-text label from its layout entry, in a box that shows all of its
// text, by the rule both front ends follow (core::layout::fitLabel): a label
// high enough for two lines wraps its text, a lower one shows one line, and
// either grows as far as its text needs.
QLabel* makeLabel(QWidget* parent, const core::layout::Control& layout);

// A command button from its layout entry. Enter or keypad Enter presses it
// while it has the focus, as on Windows, in any form and not only in dialogs.
QPushButton* makeButton(QWidget* parent, const core::layout::Control& layout);

}  // namespace setup
