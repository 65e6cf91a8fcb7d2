#include "MainDisplayView.h"

#include "base/MessageTable.h"
#include "comm/ControllerCodes.h"
#include "display/AccessibleNames.h"
#include "display/SettingRowsForm.h"
#include "display/ValueBoxStyle.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>

namespace
{
struct GroupNames {
    const char *caption;
    const char *value;
};

GroupNames namesOf(RowGroup group)
{
    switch (group) {
    case RowGroup::Alarm1:
        return {"alarm1Caption", "alarm1Value"};
    case RowGroup::Alarm2:
        return {"alarm2Caption", "alarm2Value"};
    case RowGroup::HeaterBreak:
        return {"heaterBurnoutCaption", "heaterBurnoutValue"};
    case RowGroup::Pid:
        return {"pidCaption", "pidValue"};
    case RowGroup::Cool:
        return {"coolingCaption", "coolingValue"};
    case RowGroup::Other:
        break;
    }
    return {"otherCaption", "otherValue"};
}

void setText(QWidget *widget, const QString &text)
{
    if (auto *label = qobject_cast<QLabel *>(widget))
        label->setText(text);
    else if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(text);
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text);
}

void setVisible(QWidget *widget, bool visible)
{
    if (widget != nullptr)
        widget->setVisible(visible);
}

void setColour(QWidget *widget, const Rgb &colour)
{
    if (widget == nullptr)
        return;
    QPalette palette = widget->palette();
    const QColor c(colour.red, colour.green, colour.blue);
    palette.setColor(QPalette::Window, c);
    palette.setColor(QPalette::Base, c);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// The monitor panel's value boxes, in the live style of the form until they go stale.
const std::array<const char *, 7> ValueBoxes = {"pvValue",
                                                "svValue_0",
                                                "svValue_1",
                                                "mvValue_0",
                                                "mvValue_1",
                                                "heaterCurrentValue_1",
                                                "heaterCurrentValue_2"};
// The main set value's box, which shows a setting value rather than a monitor reading.
const char *const MainSetValueBox = "svValue_1";
// A lamp whose reading is no longer live: neither lit nor plainly off.
constexpr Rgb MutedLamp{0xd0, 0xd0, 0xd0};

// A setting value the controller did not confirm: dark red on pale red, and in the tool tip the
// value sent, or that nothing was.
const QString UnconfirmedStyle = QStringLiteral(
    "QLabel { background-color: #ffd6d6; color: #a00000; border: 1px solid #c00000; }");
// A setting value the controller did not give: "----" in the same marking, "not read" as its tip.
constexpr int NotReadToolTip = 895;

// The lamps in their reading order.
const std::array<const char *, 8> Lamps = {"out1Lamp",    "out2Lamp",    "autoTuningLamp",
                                           "alarmLamp_0", "alarmLamp_1", "alarmLamp_4",
                                           "alarmLamp_2", "alarmLamp_3"};
constexpr int LampsPerRow = 4;

// What each lamp stands for, for a screen reader (its text alone is a code: "EVT1", "UP").
int lampMeaning(const QString &lamp, const QString &text)
{
    static const QHash<QString, int> meanings = {
        {QStringLiteral("out1Lamp"), 1304},    {QStringLiteral("out2Lamp"), 1305},
        {QStringLiteral("alarmLamp_0"), 1308}, {QStringLiteral("alarmLamp_1"), 1309},
        {QStringLiteral("alarmLamp_2"), 1310}, {QStringLiteral("alarmLamp_3"), 1311},
        {QStringLiteral("alarmLamp_4"), 1312}};
    if (lamp == QLatin1String("autoTuningLamp"))
        return text == msg(100) ? 1307 : 1306;
    return meanings.value(lamp);
}

// Each monitor value box with the labels of its caption and unit.
struct ValueLabels {
    const char *value, *caption, *unit;
};
const std::array<ValueLabels, 7> MonitorBoxes = {{
    {"pvValue", "pvCaption", "pvUnitLabel"},
    {"svValue_0", "svCaption_0", "unitLabel_17"},
    {"svValue_1", "svCaption_1", "unitLabel_0"},
    {"mvValue_0", "mvCaption_0", "mvUnit_0"},
    {"mvValue_1", "mvCaption_1", "mvUnit_1"},
    {"heaterCurrentValue_1", "heaterCurrentCaption_1", "heaterCurrentUnit_1"},
    {"heaterCurrentValue_2", "heaterCurrentCaption_2", "heaterCurrentUnit_2"},
}};

QString textOf(const QWidget *widget)
{
    auto *label = qobject_cast<const QLabel *>(widget);
    return label != nullptr && !label->isHidden() ? label->text() : QString();
}
} // namespace

QString displayText(const DisplayText &text)
{
    return text.messageId != 0 ? msg(text.messageId) : text.literal;
}

MainDisplayView::MainDisplayView(QWidget *window)
{
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->objectName().isEmpty())
            m_controls.insert(widget->objectName(), widget);
    }
    for (const char *name : ValueBoxes) {
        if (QWidget *box = control(QLatin1String(name))) {
            m_liveStyles.insert(QLatin1String(name), box->styleSheet());
            box->setProperty("live", true);
        }
    }
    for (const ValueLabels &box : MonitorBoxes) {
        m_valueLabels.insert(QLatin1String(box.value),
                             {QLatin1String(box.caption), QLatin1String(box.unit)});
    }
}

void MainDisplayView::setValuesLive(bool live)
{
    // Called after every monitor read: a style sheet set again would restyle the boxes each time.
    if (live == m_valuesLive)
        return;
    m_valuesLive = live;
    restyleValueBoxes();
    repaintLamps();
}

void MainDisplayView::paintLamp(const QString &name, const Rgb &colour)
{
    m_lampColours.insert(name, colour);
    setColour(control(name), m_valuesLive ? colour : MutedLamp);
    nameLamp(name);
}

void MainDisplayView::nameLamp(const QString &name)
{
    auto *lamp = qobject_cast<QLabel *>(control(name));
    const int meaning = lamp != nullptr ? lampMeaning(name, lamp->text()) : 0;
    if (meaning == 0)
        return;
    const int state = !m_valuesLive                                      ? 1302
                      : m_lampColours.value(name) != DisplayColor::White ? 1300
                                                                         : 1301;
    AccessibleNames::describe(lamp, msg(1303).arg(lamp->text(), msg(meaning), msg(state)));
}

void MainDisplayView::nameValueBox(const QString &value)
{
    QWidget *box = control(value);
    const auto [caption, unit] = m_valueLabels.value(value);
    if (box != nullptr)
        AccessibleNames::describe(box,
                                  AccessibleNames::valueName(textOf(control(caption)), textOf(box),
                                                             textOf(control(unit))));
}

void MainDisplayView::repaintLamps()
{
    for (auto it = m_lampColours.cbegin(); it != m_lampColours.cend(); ++it) {
        setColour(control(it.key()), m_valuesLive ? it.value() : MutedLamp);
        nameLamp(it.key());
    }
}

void MainDisplayView::setMainSetValueFromFile(bool fromFile)
{
    if (fromFile == m_mainSetValueFromFile)
        return;
    m_mainSetValueFromFile = fromFile;
    restyleValueBoxes();
}

void MainDisplayView::restyleValueBoxes()
{
    for (auto it = m_liveStyles.cbegin(); it != m_liveStyles.cend(); ++it) {
        QWidget *box = control(it.key());
        if (box == nullptr)
            continue;
        const bool live =
            m_valuesLive && !(m_mainSetValueFromFile && it.key() == QLatin1String(MainSetValueBox));
        box->setStyleSheet(live ? it.value() : ValueBoxStyle::muted(2));
        box->setProperty("live", live);
    }
}

void MainDisplayView::markUnconfirmed(QWidget *value, const SettingRow &row)
{
    if (!value)
        return;
    QStringList tips;
    if (row.unread)
        tips << msg(NotReadToolTip);
    if (row.unconfirmed)
        tips << row.unconfirmedTip;
    const QString toolTip = tips.join(QLatin1Char('\n'));
    if (value->toolTip() != toolTip)
        value->setToolTip(toolTip);
    // Restyled only on a change: rows are rebuilt after every read.
    const bool marked = row.unconfirmed || row.unread;
    if (value->property("unconfirmed").toBool() == marked)
        return;
    value->setProperty("unconfirmed", marked);
    value->setStyleSheet(marked ? UnconfirmedStyle : QString());
}

void MainDisplayView::packLamps()
{
    QWidget *panel = control(QStringLiteral("monitorFrame"));
    auto *grid =
        panel != nullptr ? panel->findChild<QGridLayout *>(QStringLiteral("gridLamps")) : nullptr;
    if (grid == nullptr)
        return;
    // Placed again only when the set of visible lamps changes, not on every monitor read.
    quint32 shown = 0;
    for (int i = 0; i < int(Lamps.size()); ++i) {
        const QWidget *lamp = control(QLatin1String(Lamps[i]));
        if (lamp != nullptr && !lamp->isHidden())
            shown |= 1u << i;
    }
    if (shown == m_lampsShown)
        return;
    m_lampsShown = shown;
    int slot = 0;
    for (const char *name : Lamps) {
        QWidget *lamp = control(QLatin1String(name));
        if (lamp == nullptr)
            continue;
        grid->removeWidget(lamp);
        if (!lamp->isHidden()) {
            grid->addWidget(lamp, slot / LampsPerRow, slot % LampsPerRow);
            ++slot;
        }
    }
}

void MainDisplayView::setValueText(int code, const QString &text)
{
    QWidget *box = valueLabel(code);
    setText(box, text);
    if (box != nullptr)
        nameValueBox(box->objectName());
}

QString MainDisplayView::valueText(int code)
{
    auto *label = qobject_cast<QLabel *>(valueLabel(code));
    return label != nullptr ? label->text() : QString();
}

QWidget *MainDisplayView::valueLabel(int code)
{
    // The main set value shows on the monitor panel.
    if (code == Code::MainSetValue)
        return control(QStringLiteral("svValue"), 1);
    for (const RowPlace &place : settingRowPlaces()) {
        if (place.code == code)
            return control(QLatin1String(namesOf(place.group).value), place.index);
    }
    return nullptr;
}

void MainDisplayView::setManualButtonsVisible(bool visible)
{
    for (int i = 0; i < 6; ++i)
        setVisible(control(QStringLiteral("manualStepButton"), i), visible);
}

QWidget *MainDisplayView::control(const QString &name)
{
    return m_controls.value(name);
}

QWidget *MainDisplayView::control(const QString &name, int index)
{
    return control(name + QLatin1Char('_') + QString::number(index));
}

void MainDisplayView::showMonitorPanel(const MonitorPanelState &state)
{
    setText(control(QStringLiteral("pvValue")), state.pvText);
    setText(control(QStringLiteral("svValue"), 0), state.svText);
    for (int i = 0; i < 2; ++i) {
        setText(control(QStringLiteral("mvValue"), i), state.mvText[i]);
        // heaterCurrentValue and its labels are numbered from 1.
        setText(control(QStringLiteral("heaterCurrentValue"), i + 1), state.hbText[i]);
    }
    paintLamp(QStringLiteral("out1Lamp"), state.out1Lamp.colour);
    paintLamp(QStringLiteral("out2Lamp"), state.out2Lamp.colour);
    for (int i = 0; i < int(state.alarmLamps.size()); ++i)
        paintLamp(QStringLiteral("alarmLamp_%1").arg(i), state.alarmLamps[i].colour);
    paintLamp(QStringLiteral("autoTuningLamp"), state.autoTuningColour);
    for (const ValueLabels &box : MonitorBoxes)
        nameValueBox(QLatin1String(box.value));

    QWidget *outOff = control(QStringLiteral("outOffLamp"));
    setText(outOff, msg(state.outOffCaptionId));
    paintLamp(QStringLiteral("outOffLamp"), state.outOffColour);
    QWidget *outOffState = control(QStringLiteral("outOffStateLabel"));
    paintLamp(QStringLiteral("outOffStateLabel"), DisplayColor::White);
    if (state.outOffStateVisible)
        setText(outOffState, msg(state.outOffStateId));
    setVisible(outOffState, state.outOffStateVisible);

    showMonitorOptions(state);
}

void MainDisplayView::showMonitorOptions(const MonitorPanelState &state)
{
    for (int i = 0; i < 2; ++i) {
        setVisible(control(QStringLiteral("heaterCurrentValue"), i + 1), state.hbVisible[i]);
        setVisible(control(QStringLiteral("heaterCurrentCaption"), i + 1), state.hbVisible[i]);
        setVisible(control(QStringLiteral("heaterCurrentUnit"), i + 1), state.hbVisible[i]);
    }
    setVisible(control(QStringLiteral("mvValue"), 1), state.mv2Visible);
    setVisible(control(QStringLiteral("mvUnit"), 1), state.mv2Visible);
    setVisible(control(QStringLiteral("mvCaption"), 1), state.mv2Visible);
    setVisible(control(QStringLiteral("out1Lamp")), state.out1Lamp.visible);
    setVisible(control(QStringLiteral("out2Lamp")), state.out2Lamp.visible);
    for (int i = 0; i < int(state.alarmLamps.size()); ++i)
        setVisible(control(QStringLiteral("alarmLamp"), i), state.alarmLamps[i].visible);
    setManualButtonsVisible(state.manualButtonsVisible);
    setVisible(control(QStringLiteral("monitorFrame")), true);
    packLamps();
}

void MainDisplayView::showSettingPage(const SettingPageState &state)
{
    for (int i = 0; i < SettingPageState::UnitLabelCount; ++i)
        setText(control(QStringLiteral("unitLabel"), i), displayText(state.unitLabels[i]));
    // PV is in the unit of the set value in use.
    setText(control(QStringLiteral("pvUnitLabel")), displayText(state.unitLabels[17]));
    for (int i = 0; i < SettingPageState::RateUnitLabelCount; ++i)
        setText(control(QStringLiteral("rateUnitLabel"), i), displayText(state.rateUnitLabels[i]));

    for (const SettingRow &row : state.rows) {
        const GroupNames names = namesOf(row.place.group);
        QWidget *caption = control(QLatin1String(names.caption), row.place.index);
        setText(caption, msg(row.captionId));
        setVisible(caption, row.visible);
        QWidget *value = control(QLatin1String(names.value), row.place.index);
        setText(value, row.valueText);
        setVisible(value, row.valueVisible);
        markUnconfirmed(value, row);
        QString unit = QStringLiteral("timeUnitLabel_%1").arg(row.place.code - 10);
        if (row.place.unitLabel >= 0) {
            unit = QStringLiteral("unitLabel_%1").arg(row.place.unitLabel);
            setVisible(control(unit), row.visible);
        }
        if (row.place.rateUnitLabel >= 0) {
            unit = QStringLiteral("rateUnitLabel_%1").arg(row.place.rateUnitLabel);
            setVisible(control(unit), row.visible);
        }
        setVisible(control(QStringLiteral("timeUnitLabel"), row.place.code - 10), row.visible);
        if (value != nullptr) {
            m_valueLabels.insert(value->objectName(),
                                 {caption ? caption->objectName() : QString(), unit});
            nameValueBox(value->objectName());
        }
        if (QWidget *button = control(QStringLiteral("changeButton"), row.place.code - 10)) {
            setVisible(button, row.buttonVisible);
            button->setEnabled(row.buttonEnabled && !m_groupDisabled[int(row.place.group)]);
            // A screen reader names the item a Change button changes, not only "Change", and says
            // what the item holds now.
            button->setAccessibleName(msg(row.captionId) + QStringLiteral(": ") + msg(31));
            button->setAccessibleDescription(row.valueText);
        }
    }

    setValueText(11, state.mainSetValueText);
    // The units of the monitor panel's boxes follow the input type.
    for (const ValueLabels &box : MonitorBoxes)
        nameValueBox(QLatin1String(box.value));
    setMainSetValueFromFile(state.mainSetValueFromFile);
    if (QWidget *button = control(QStringLiteral("changeButton"), 1)) {
        button->setEnabled(state.mainSetValueButtonEnabled);
        button->setAccessibleName(msg(101) + QStringLiteral(": ") + msg(31));
        button->setAccessibleDescription(state.mainSetValueText);
    }
    setVisible(control(QStringLiteral("heaterBurnoutFrame")), state.heaterBreakFrameVisible);
    for (int i = 0; i < int(state.titleButtonVisible.size()); ++i)
        setVisible(control(QStringLiteral("groupLockButton"), i), state.titleButtonVisible[i]);
    QWidget *autoTuning = control(QStringLiteral("autoTuningLamp"));
    if (state.autoTuningVisible) {
        setText(autoTuning, msg(state.autoTuningCaptionId));
        nameLamp(QStringLiteral("autoTuningLamp"));
    }
    setVisible(autoTuning, state.autoTuningVisible);
    packLamps();
}

void MainDisplayView::toggleGroup(int group)
{
    static const std::array<const char *, 6> frames = {"alarm1Frame",        "alarm2Frame",
                                                       "heaterBurnoutFrame", "heatingFrame",
                                                       "coolingFrame",       "otherFrame"};
    if (group < 0 || group >= int(frames.size()))
        return;
    const bool disabled = !m_groupDisabled[group];
    m_groupDisabled[group] = disabled;
    QWidget *frame = control(QLatin1String(frames[group]));
    if (frame == nullptr)
        return;
    const QString titleButton = QStringLiteral("groupLockButton_%1").arg(group);
    for (QWidget *child : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->objectName() != titleButton)
            child->setEnabled(!disabled);
        else if (auto *title = qobject_cast<QAbstractButton *>(child))
            if (auto *box = qobject_cast<QGroupBox *>(frame))
                SettingRowsForm::showGroupLock(title, box->title(), disabled);
    }
}
