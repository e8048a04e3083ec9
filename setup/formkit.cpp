#include "formkit.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include "platform/messagebox.h"

namespace setup {

namespace {

constexpr double kTwipsPerInch = 1440.0;

QScreen& screenOf(const QWidget& widget)
{
    QScreen* screen = widget.screen();
    return screen ? *screen : *QGuiApplication::primaryScreen();
}

void widenToText(QLabel& label)
{
    const int needed = label.fontMetrics().horizontalAdvance(label.text());
    const int room = label.parentWidget()->width() - label.x();
    if (needed > label.width())
        label.resize(qMax(label.width(), qMin(needed, room)), label.height());
}

}  // namespace

int twipsToPixels(int twips, const QWidget& widget)
{
    return qRound(twips * screenOf(widget).logicalDotsPerInch() / kTwipsPerInch);
}

void placeTwips(QWidget& widget, int left, int top, int width, int height)
{
    widget.setGeometry(twipsToPixels(left, widget), twipsToPixels(top, widget), twipsToPixels(width, widget),
                       twipsToPixels(height, widget));
}

void setTabOrder(std::initializer_list<QWidget*> controls)
{
    for (auto it = controls.begin(); it + 1 != controls.end(); ++it)
        QWidget::setTabOrder(*it, *(it + 1));
}

void setClientTwips(QWidget& form, int width, int height)
{
    const QSize size(twipsToPixels(width, form), twipsToPixels(height, form));
    form.setFixedSize(size);
    const QRect available = screenOf(form).availableGeometry();
    form.move(available.center() - QPoint(size.width() / 2, size.height() / 2));
}

QFont arial(double pointSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

QFont defaultFont()
{
    return arial(8.25, false);
}

QLabel* makeLabel(QWidget* parent, const QString& objectName, const QString& text, int left, int top, int width,
                  int height, const std::optional<QFont>& font)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (font)
        label->setFont(*font);
    placed(label, objectName, left, top, width, height);
    label->setWordWrap(label->height() >= 2 * label->fontMetrics().lineSpacing());
    if (!label->wordWrap())
        widenToText(*label);
    return label;
}

QPushButton* makeButton(QWidget* parent, const QString& objectName, const QString& caption, int left, int top,
                        int width, int height)
{
    auto* button = placed(new QPushButton(caption, parent), objectName, left, top, width, height);
    // An auto-default button clicks itself on Enter and keypad Enter while it
    // has the focus; outside a dialog a button is not auto-default by itself.
    button->setAutoDefault(true);
    return button;
}

void warn(platform::MessageBoxes& boxes, const QString& text)
{
    boxes.show(text, platform::Icon::Warning, QStringLiteral("¡Atención!"));
}

}  // namespace setup
