#include "SettingRowsForm.h"

#include "base/MessageTable.h"
#include "display/MainDisplayModel.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace
{
struct FrameNames {
    const char *frame;
    const char *caption;
    const char *value;
    int titleButton;
    int captionId;
};

FrameNames frameOf(RowGroup group)
{
    const int title = rowGroupTitle(group);
    switch (group) {
    case RowGroup::Alarm1:
        return {"alarm1Frame", "alarm1Caption", "alarm1Value", Alarm1Title, title};
    case RowGroup::Alarm2:
        return {"alarm2Frame", "alarm2Caption", "alarm2Value", Alarm2Title, title};
    case RowGroup::HeaterBreak:
        return {"heaterBurnoutFrame", "heaterBurnoutCaption", "heaterBurnoutValue",
                HeaterBreakTitle, title};
    case RowGroup::Pid:
        return {"heatingFrame", "pidCaption", "pidValue", HeatTitle, title};
    case RowGroup::Cool:
        return {"coolingFrame", "coolingCaption", "coolingValue", CoolTitle, title};
    case RowGroup::Other:
        break;
    }
    return {"otherFrame", "otherCaption", "otherValue", OtherTitle, title};
}

QString indexed(const char *name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

QPushButton *makeButton(QWidget *parent, const QString &name)
{
    auto *button = new QPushButton(msg(31), parent);
    button->setObjectName(name);
    return button;
}

// Column widths shared by every frame of every page, so that value boxes, units and change
// buttons line up from frame to frame: the caption column is as wide as the widest caption any row
// can show, the unit column as the widest unit; the value column takes the extra width.
constexpr int ValueColumnDigits = 20;

struct Columns {
    int caption = 0;
    int value = 0;
    int unit = 0;
};

Columns columnWidths(const QWidget *window)
{
    const QFontMetrics metrics = window->fontMetrics();
    const auto widest = [&metrics](const QStringList &texts) {
        int width = 0;
        for (const QString &text : texts)
            width = qMax(width, metrics.horizontalAdvance(text));
        return width;
    };
    // Captions some rows take instead of their first one: "Auto-reset", the 50 A heater burnout
    // settings.
    QStringList captions = {msg(152), msg(155), msg(156)};
    for (const RowPlace &place : settingRowPlaces())
        captions << msg(place.captionId);
    const QStringList units = {msg(215), msg(216), msg(335), msg(336),
                               msg(337), msg(374), msg(401), QStringLiteral("%")};
    // A label's frame and indent come on top of its text.
    const int slack = metrics.horizontalAdvance(QStringLiteral("00"));
    // Room for any number and most option texts on one line; the longest ones wrap.
    const int value = metrics.horizontalAdvance(QLatin1Char('0')) * ValueColumnDigits;
    return {widest(captions) + slack, value, widest(units) + slack};
}

// Prepares a frame on first use: caption and title button in row 0, the shared column widths.
QGridLayout *frameGrid(QWidget *window, const FrameNames &names, const Columns &columns)
{
    auto *frame = window->findChild<QGroupBox *>(QLatin1String(names.frame));
    if (frame == nullptr)
        return nullptr;
    auto *grid = qobject_cast<QGridLayout *>(frame->layout());
    if (grid == nullptr)
        return nullptr;
    if (grid->count() == 0) {
        frame->setTitle(msg(names.captionId));
        QPushButton *title = makeButton(frame, indexed("groupLockButton", names.titleButton));
        SettingRowsForm::showGroupLock(title, msg(names.captionId), false);
        grid->addWidget(title, 0, 3);
        // Empty widgets hold the shared widths in row 0: a column whose rows are all hidden would
        // otherwise lose the spacing beside it, and the columns of this frame would shift.
        const std::array<int, 3> widths = {columns.caption, columns.value, columns.unit};
        for (int column = 0; column < int(widths.size()); ++column) {
            auto *guide = new QWidget(frame);
            guide->setFixedSize(widths[column], 0);
            grid->addWidget(guide, 0, column);
        }
        grid->setColumnStretch(1, 1);
    }
    return grid;
}

// The main set value is changed from the monitor panel: its button gets a row of its own below
// svValue(1), the rows under it moving down by one.
void addMainSetValueButton(QWidget *window)
{
    auto *value = window->findChild<QWidget *>(QStringLiteral("svValue_1"));
    if (value == nullptr)
        return;
    auto *grid = qobject_cast<QGridLayout *>(value->parentWidget()->layout());
    if (grid == nullptr)
        return;
    struct Placed {
        QLayoutItem *item;
        int row, column, rowSpan, columnSpan;
    };
    int valueRow = 0, valueColumn = 0, span = 0;
    grid->getItemPosition(grid->indexOf(value), &valueRow, &valueColumn, &span, &span);
    QList<Placed> below;
    for (int i = grid->count() - 1; i >= 0; --i) {
        Placed p{nullptr, 0, 0, 0, 0};
        grid->getItemPosition(i, &p.row, &p.column, &p.rowSpan, &p.columnSpan);
        if (p.row > valueRow) {
            p.item = grid->takeAt(i);
            below.append(p);
        }
    }
    for (const Placed &p : below) {
        grid->addItem(p.item, p.row + 1, p.column, p.rowSpan, p.columnSpan);
        // Taking a nested layout out let go of it as a child; it is the grid's again, and can be
        // found by name (the lamp grid).
        if (QLayout *nested = p.item->layout())
            nested->setParent(grid);
    }
    grid->addWidget(makeButton(value->parentWidget(), indexed("changeButton", 1)), valueRow + 1,
                    valueColumn, 1, 1, Qt::AlignRight);
}
} // namespace

void SettingRowsForm::showGroupLock(QAbstractButton *titleButton, const QString &frameTitle,
                                    bool locked)
{
    constexpr int Lock = 1200, Unlock = 1201, LockHint = 1202, UnlockHint = 1203;
    titleButton->setText(msg(locked ? Unlock : Lock));
    const QString hint = msg(locked ? UnlockHint : LockHint).arg(frameTitle);
    titleButton->setToolTip(hint);
    titleButton->setAccessibleName(frameTitle + QStringLiteral(": ") + titleButton->text());
    titleButton->setAccessibleDescription(hint);
}

void SettingRowsForm::build(QWidget *window)
{
    addMainSetValueButton(window);
    const Columns columns = columnWidths(window);
    for (const RowPlace &place : settingRowPlaces()) {
        const FrameNames names = frameOf(place.group);
        QGridLayout *grid = frameGrid(window, names, columns);
        if (grid == nullptr)
            continue;
        QWidget *frame = grid->parentWidget();
        const int row = place.index + 1;

        grid->addWidget(makeLabel(frame, indexed(names.caption, place.index), msg(place.captionId)),
                        row, 0);
        QLabel *value = makeLabel(frame, indexed(names.value, place.index), QString());
        value->setFrameShape(QFrame::Panel);
        value->setFrameShadow(QFrame::Sunken);
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        value->setWordWrap(true);
        grid->addWidget(value, row, 1);
        if (place.unitLabel >= 0)
            grid->addWidget(makeLabel(frame, indexed("unitLabel", place.unitLabel), QString()), row,
                            2);
        else if (place.rateUnitLabel >= 0)
            grid->addWidget(
                makeLabel(frame, indexed("rateUnitLabel", place.rateUnitLabel), QString()), row, 2);
        else if (const int unit = timeUnitCaption(place.code))
            grid->addWidget(makeLabel(frame, indexed("timeUnitLabel", place.code - 10), msg(unit)),
                            row, 2);
        grid->addWidget(makeButton(frame, indexed("changeButton", place.code - 10)), row, 3);
    }
}
