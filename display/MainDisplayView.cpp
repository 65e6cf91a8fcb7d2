#include "MainDisplayView.h"

#include "app/MessageTable.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

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
        return {"Label_Alm1", "Label_A1val"};
    case RowGroup::Alarm2:
        return {"Label_Alm2", "Label_A2val"};
    case RowGroup::HeaterBreak:
        return {"Label_Alm_HB", "Label_HBval"};
    case RowGroup::Pid:
        return {"Label_pid", "Label_pidval"};
    case RowGroup::Cool:
        return {"Label_cool", "Label_coolval"};
    case RowGroup::Other:
        break;
    }
    return {"Label_oth", "Label_othval"};
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
}

void MainDisplayView::setValueText(int code, const QString &text)
{
    setText(valueLabel(code), text);
}

QString MainDisplayView::valueText(int code)
{
    auto *label = qobject_cast<QLabel *>(valueLabel(code));
    return label != nullptr ? label->text() : QString();
}

QWidget *MainDisplayView::valueLabel(int code)
{
    // The main set value shows on the monitor panel.
    if (code == 11)
        return control(QStringLiteral("Text_SV"), 1);
    for (const RowPlace &place : SettingRowPlaces()) {
        if (place.code == code)
            return control(QLatin1String(namesOf(place.group).value), place.index);
    }
    return nullptr;
}

void MainDisplayView::setManualButtonsVisible(bool visible)
{
    for (int i = 0; i < 6; ++i)
        setVisible(control(QStringLiteral("Manuval"), i), visible);
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
    setText(control(QStringLiteral("Text_PV")), state.pvText);
    for (int i = 0; i < 2; ++i) {
        setText(control(QStringLiteral("Text_SV"), i), state.svText[i]);
        setText(control(QStringLiteral("Text_MV"), i), state.mvText[i]);
        // Text_HB and its labels are numbered from 1.
        setText(control(QStringLiteral("Text_HB"), i + 1), state.hbText[i]);
        setVisible(control(QStringLiteral("Text_HB"), i + 1), state.hbVisible[i]);
        setVisible(control(QStringLiteral("Label_HB"), i + 1), state.hbVisible[i]);
        setVisible(control(QStringLiteral("Label_HBunit"), i + 1), state.hbVisible[i]);
    }
    setVisible(control(QStringLiteral("Text_MV"), 1), state.mv2Visible);
    setVisible(control(QStringLiteral("Label18"), 1), state.mv2Visible);
    setVisible(control(QStringLiteral("Label_MVcap"), 1), state.mv2Visible);

    const auto showLamp = [](QWidget *widget, const Lamp &lamp) {
        setColour(widget, lamp.colour);
        setVisible(widget, lamp.visible);
    };
    showLamp(control(QStringLiteral("Label23")), state.out1Lamp);
    showLamp(control(QStringLiteral("Label58")), state.out2Lamp);
    for (int i = 0; i < int(state.alarmLamps.size()); ++i)
        showLamp(control(QStringLiteral("lbl_alm"), i), state.alarmLamps[i]);
    setColour(control(QStringLiteral("Label_atm")), state.autoTuningColour);

    QWidget *outOff = control(QStringLiteral("Label_OUTOFF"));
    setText(outOff, msg(state.outOffCaptionId));
    setColour(outOff, state.outOffColour);
    QWidget *outOffState = control(QStringLiteral("Label5"));
    if (state.outOffStateVisible)
        setText(outOffState, msg(state.outOffStateId));
    setVisible(outOffState, state.outOffStateVisible);
    for (int i = 0; i < 6; ++i)
        setVisible(control(QStringLiteral("Manuval"), i), state.manualButtonsVisible);

    setVisible(control(QStringLiteral("Frame1")), true);
}

void MainDisplayView::showSettingPage(const SettingPageState &state)
{
    for (int i = 0; i < SettingPageState::UnitLabelCount; ++i)
        setText(control(QStringLiteral("Label_CF"), i), displayText(state.unitLabels[i]));
    for (int i = 0; i < SettingPageState::RateUnitLabelCount; ++i)
        setText(control(QStringLiteral("Label_UD"), i), displayText(state.rateUnitLabels[i]));

    for (const SettingRow &row : state.rows) {
        const GroupNames names = namesOf(row.place.group);
        QWidget *caption = control(QLatin1String(names.caption), row.place.index);
        setText(caption, msg(row.captionId));
        setVisible(caption, row.visible);
        QWidget *value = control(QLatin1String(names.value), row.place.index);
        setText(value, row.valueText);
        setVisible(value, row.valueVisible);
        if (row.place.unitLabel >= 0)
            setVisible(control(QStringLiteral("Label_CF"), row.place.unitLabel), row.visible);
        if (row.place.rateUnitLabel >= 0)
            setVisible(control(QStringLiteral("Label_UD"), row.place.rateUnitLabel), row.visible);
        setVisible(control(QStringLiteral("Label_time"), row.place.code - 10), row.visible);
        if (QWidget *button = control(QStringLiteral("Cmd_set"), row.place.code - 10)) {
            setVisible(button, row.buttonVisible);
            button->setEnabled(row.buttonEnabled && !m_groupDisabled[int(row.place.group)]);
        }
    }

    if (QWidget *button = control(QStringLiteral("Cmd_set"), 1))
        button->setEnabled(state.mainSetValueButtonEnabled);
    setVisible(control(QStringLiteral("Frame_HB")), state.heaterBreakFrameVisible);
    for (int i = 0; i < int(state.titleButtonVisible.size()); ++i)
        setVisible(control(QStringLiteral("Cmd_True"), i), state.titleButtonVisible[i]);
    QWidget *autoTuning = control(QStringLiteral("Label_atm"));
    if (state.autoTuningVisible)
        setText(autoTuning, msg(state.autoTuningCaptionId));
    setVisible(autoTuning, state.autoTuningVisible);
}

void MainDisplayView::toggleGroup(int group)
{
    static const std::array<const char *, 6> frames = {
        "Frame_Alarm1", "Frame_Alarm2", "Frame_HB", "Frame_Heat", "Frame_Cool", "Frame_Other"};
    if (group < 0 || group >= int(frames.size()))
        return;
    const bool disabled = !m_groupDisabled[group];
    m_groupDisabled[group] = disabled;
    QWidget *frame = control(QLatin1String(frames[group]));
    if (frame == nullptr)
        return;
    const QString titleButton = QStringLiteral("Cmd_True_%1").arg(group);
    for (QWidget *child : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->objectName() != titleButton)
            child->setEnabled(!disabled);
    }
}
