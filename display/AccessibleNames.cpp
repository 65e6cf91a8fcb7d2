#include "AccessibleNames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScrollBar>

namespace
{
// A text that says something: at least one letter or digit ("..." or "<<" do not).
bool saysSomething(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}]"));
    return text.contains(word);
}

QString plain(QString text)
{
    text.remove(QLatin1Char('&'));
    return text.simplified();
}

// Controls whose own text is no name: a screen reader reads their value, or nothing.
bool needsName(const QWidget *widget)
{
    if (!widget->accessibleName().isEmpty())
        return false;
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return !saysSomething(button->text());
    if (qobject_cast<const QScrollBar *>(widget) != nullptr)
        return false;
    return qobject_cast<const QLineEdit *>(widget) != nullptr ||
           qobject_cast<const QComboBox *>(widget) != nullptr ||
           qobject_cast<const QAbstractSpinBox *>(widget) != nullptr ||
           qobject_cast<const QAbstractItemView *>(widget) != nullptr ||
           qobject_cast<const QAbstractSlider *>(widget) != nullptr;
}

QLabel *asLabel(QWidget *widget)
{
    auto *label = qobject_cast<QLabel *>(widget);
    return label != nullptr && saysSomething(label->text()) ? label : nullptr;
}

QLabel *buddyOf(const QWidget *widget)
{
    for (QLabel *label : widget->window()->findChildren<QLabel *>()) {
        if (label->buddy() == widget && saysSomething(label->text()))
            return label;
    }
    return nullptr;
}

// The layout under layout that holds widget directly, or nullptr.
QLayout *holderOf(QLayout *layout, const QWidget *widget)
{
    if (layout == nullptr)
        return nullptr;
    if (layout->indexOf(widget) >= 0)
        return layout;
    for (int i = 0; i < layout->count(); ++i) {
        if (QLayout *found = holderOf(layout->itemAt(i)->layout(), widget))
            return found;
    }
    return nullptr;
}

// The nearest label before widget on its row (a grid's row, a form's label, a box's earlier
// items).
QLabel *labelBefore(QWidget *widget)
{
    QLayout *layout = widget->parentWidget() != nullptr
                          ? holderOf(widget->parentWidget()->layout(), widget)
                          : nullptr;
    if (layout == nullptr)
        return nullptr;
    const int index = layout->indexOf(widget);
    if (auto *form = qobject_cast<QFormLayout *>(layout))
        return asLabel(form->labelForField(widget));
    if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        for (int c = column - 1; c >= 0; --c) {
            QLayoutItem *item = grid->itemAtPosition(row, c);
            if (QLabel *label = item != nullptr ? asLabel(item->widget()) : nullptr)
                return label;
        }
        return nullptr;
    }
    for (int i = index - 1; i >= 0; --i) {
        if (QLabel *label = asLabel(layout->itemAt(i)->widget()))
            return label;
    }
    return nullptr;
}

QString frameTitle(const QWidget *widget)
{
    for (QWidget *parent = widget->parentWidget(); parent != nullptr && !parent->isWindow();
         parent = parent->parentWidget()) {
        if (auto *frame = qobject_cast<QGroupBox *>(parent); frame && saysSomething(frame->title()))
            return plain(frame->title());
    }
    return {};
}
} // namespace

void AccessibleNames::nameFromLabels(QWidget *root)
{
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!needsName(widget))
            continue;
        // The text box of an editable choice box or a spin box is named as its box.
        QWidget *labelled = widget;
        if (qobject_cast<QComboBox *>(widget->parentWidget()) != nullptr ||
            qobject_cast<QAbstractSpinBox *>(widget->parentWidget()) != nullptr)
            labelled = widget->parentWidget();
        QLabel *label = buddyOf(labelled);
        if (label == nullptr)
            label = labelBefore(labelled);
        // A choice box reads out its current choice as its name on Linux: a screen reader finds
        // what it is by the label it is the buddy of (or the frame it sits in).
        if (label != nullptr && label->buddy() == nullptr &&
            qobject_cast<QComboBox *>(labelled) != nullptr)
            label->setBuddy(labelled);
        QString name = label != nullptr ? plain(label->text()) : frameTitle(labelled);
        if (name.isEmpty())
            name = plain(widget->window()->windowTitle());
        widget->setAccessibleName(name);
    }
}

void AccessibleNames::describe(QWidget *widget, const QString &name, const QString &description)
{
    // Each set sends the screen reader a change event: only on a change, not on every read.
    if (widget->accessibleName() != name)
        widget->setAccessibleName(name);
    if (widget->accessibleDescription() != description)
        widget->setAccessibleDescription(description);
}

QString AccessibleNames::valueName(const QString &caption, const QString &value,
                                   const QString &unit)
{
    const QString shown = unit.isEmpty() ? value : value + QLatin1Char(' ') + unit;
    return plain(caption) + QStringLiteral(": ") + shown;
}
