#pragma once

#include <QString>

class QWidget;

// What a screen reader says for the controls of a window, in the active language.
namespace AccessibleNames
{
// Names every control under root that a screen reader would otherwise announce by its value alone
// or not at all (text boxes, choice boxes, spin boxes, lists, tables, buttons showing a sign rather
// than a word) after what the window shows the operator beside it: the label it is the buddy of,
// else the nearest label before it on its layout row, else the frame (group box) it sits in, else
// its window's title. A control named already keeps its name. Run once the window's texts are set.
void nameFromLabels(QWidget *root);
// Sets widget's accessible name and description where they changed; Qt tells a screen reader of
// each change (QAccessible::NameChanged, DescriptionChanged), which announces it.
void describe(QWidget *widget, const QString &name, const QString &description = QString());
// "caption: value unit" for a value box, without the unit where there is none.
QString valueName(const QString &caption, const QString &value, const QString &unit);
} // namespace AccessibleNames
