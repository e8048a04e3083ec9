#include "formkit.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace setup {

namespace {

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

QString qt(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

int twipsToPixels(int twips, const QWidget& widget)
{
    return core::layout::twipsToPixels(twips, screenOf(widget).logicalDotsPerInch());
}

void place(QWidget& widget, const core::layout::Control& layout)
{
    const core::layout::Box& box = layout.box;
    widget.setObjectName(qt(layout.name));
    if (layout.font)
        widget.setFont(arial(*layout.font));
    widget.setGeometry(twipsToPixels(box.left, widget), twipsToPixels(box.top, widget),
                       twipsToPixels(box.width, widget), twipsToPixels(box.height, widget));
}

void setTabOrder(std::initializer_list<QWidget*> controls)
{
    for (auto it = controls.begin(); it + 1 != controls.end(); ++it)
        QWidget::setTabOrder(*it, *(it + 1));
}

void setUpForm(QWidget& form, const core::layout::Form& layout)
{
    form.setObjectName(qt(layout.name));
    form.setWindowTitle(qt(layout.caption));
    form.setFont(arial(core::layout::kDefaultFont));
    const QSize size(twipsToPixels(layout.width, form), twipsToPixels(layout.height, form));
    form.setFixedSize(size);
    const QRect available = screenOf(form).availableGeometry();
    form.move(available.center() - QPoint(size.width() / 2, size.height() / 2));
}

QFont arial(const core::layout::Font& font)
{
    QFont qfont(QStringLiteral("Arial"));
    qfont.setPointSizeF(font.points);
    qfont.setBold(font.bold);
    return qfont;
}

QLabel* makeLabel(QWidget* parent, const core::layout::Control& layout)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(qt(layout.text));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placed(label, layout);
    label->setWordWrap(label->height() >= 2 * label->fontMetrics().lineSpacing());
    if (!label->wordWrap())
        widenToText(*label);
    return label;
}

QPushButton* makeButton(QWidget* parent, const core::layout::Control& layout)
{
    auto* button = placed(new QPushButton(qt(layout.text), parent), layout);
    // An auto-default button clicks itself on Enter and keypad Enter while it
    // has the focus; outside a dialog a button is not auto-default by itself.
    button->setAutoDefault(true);
    return button;
}

}  // namespace setup
