#include "formkit.h"

#include <QEvent>
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

// The top left corner of a window of this size in the middle of area.
QPoint centredOn(const QRect& area, const QSize& size)
{
    return area.topLeft() + QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2);
}

// The room the label's text needs, by the rule both front ends follow.
void fitToText(QLabel& label)
{
    const QFontMetrics metrics = label.fontMetrics();
    const QString text = label.text();
    const core::layout::TextSize size{
        metrics.lineSpacing(), metrics.horizontalAdvance(text), [metrics, text](int width) {
            return metrics.boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWordWrap, text).height();
        }};
    const QRect box = label.geometry();
    const QWidget& parent = *label.parentWidget();
    const core::layout::LabelBox fitted = core::layout::fitLabel({box.x(), box.y(), box.width(), box.height()}, size,
                                                                 parent.width(), parent.height());
    label.setWordWrap(fitted.wraps);
    label.setGeometry(fitted.box.left, fitted.box.top, fitted.box.width, fitted.box.height);
}

// Keeps a form's frame, title bar included, in the middle of its screen: the
// form is placed before it has a frame, and the window manager adds the frame
// around it. Once the frame is there, the form moves so that the frame is
// centred, as on Windows, and this watcher goes.
class FrameCentring final : public QObject {
public:
    explicit FrameCentring(QWidget& form) : QObject(&form), form_(form) { form.installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Move || event->type() == QEvent::Show)
            centreFrame();
        return false;
    }

private:
    void centreFrame()
    {
        const QRect frame = form_.frameGeometry();
        if (frame.size() == form_.size() || !frame.contains(form_.geometry()))
            return;  // no frame yet, or one still being made
        form_.removeEventFilter(this);
        form_.move(centredOn(screenOf(form_).availableGeometry(), frame.size()));
        deleteLater();
    }

    QWidget& form_;
};

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
    form.move(centredOn(screenOf(form).availableGeometry(), size));
    new FrameCentring(form);
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
    fitToText(*label);
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
