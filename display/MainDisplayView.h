#pragma once

#include "display/MainDisplayModel.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

// Copies MonitorPanelState and SettingPageState onto the main window's controls, which it finds
// by object name among the window's children when it is constructed (so construct it after the
// form is set up): a control array element is named "Name_index" (svValue_0, alarm1Value_4,
// changeButton_26). A control the window does not have is skipped.
class MainDisplayView
{
public:
    explicit MainDisplayView(QWidget *window);

    // Texts, lamp colours and operating state, then showMonitorOptions.
    void showMonitorPanel(const MonitorPanelState &state);
    // Only what the unit's options and the operating state show or hide (MV2, HB, lamps, manual
    // buttons), for an offline panel whose last texts stay.
    void showMonitorOptions(const MonitorPanelState &state);
    void showSettingPage(const SettingPageState &state);
    // The value label of a setting item (svValue(1) for the main set value) takes text, as an
    // offline change leaves it until the page is rebuilt.
    void setValueText(int code, const QString &text);
    QString valueText(int code);
    // The six manual output buttons manualStepButton(0..5).
    void setManualButtonsVisible(bool visible);
    // Switches one group's frame (title button groupLockButton(group) and RowGroup order) between
    // enabled and disabled; its title button stays usable, and its change buttons stay disabled
    // through later pages until the group is enabled again.
    void toggleGroup(int group);
    // The monitor panel's value boxes (PV, SV, main set value, MV, HB) in their live style, or in a
    // muted one for values that are no longer live; the texts stay either way. The status lamps and
    // the control output field go grey with them, so that no lamp looks lit from an old reading.
    void setValuesLive(bool live);
    bool valuesLive() const { return m_valuesLive; }
    // The main set value's box muted as well while it holds a value loaded from a file that was
    // not read from the controller since.
    void setMainSetValueFromFile(bool fromFile);

private:
    // Packs the visible status lamps into the lamp grid, four to a row in their fixed order, so
    // that a lamp hidden for a missing option leaves no hole.
    void packLamps();
    // Each value box live or muted by the two states above.
    void restyleValueBoxes();
    // A lamp (or the control output field) in the colour of the last reading while values are
    // live, else grey; the colour is kept for when they are live again.
    void paintLamp(const QString &name, const Rgb &colour);
    void repaintLamps();
    // A lamp's accessible name: its text, what it stands for, and on, off or not known.
    void nameLamp(const QString &name);
    // A value box's accessible name: caption, value and unit, from the labels beside it.
    void nameValueBox(const QString &value);
    QWidget *valueLabel(int code);
    QWidget *control(const QString &name);
    QWidget *control(const QString &name, int index);

    QHash<QString, QPointer<QWidget>> m_controls;
    std::array<bool, 6> m_groupDisabled{};
    // The value label of a row whose last write the controller did not confirm, or whose last
    // read it refused: marked, with the value sent or "not read" in its tool tip.
    void markUnconfirmed(QWidget *value, const SettingRow &row);

    QHash<QString, QString> m_liveStyles;
    QHash<QString, Rgb> m_lampColours;
    // Value box name -> the names of its caption and unit labels.
    QHash<QString, QPair<QString, QString>> m_valueLabels;
    bool m_valuesLive = true;
    bool m_mainSetValueFromFile = false;
    quint32 m_lampsShown = ~0u; // bit i: Lamps[i] visible; ~0u until first packed
};

// The text a label shows for a DisplayText: the message's text in the active language, or the
// fixed text.
QString displayText(const DisplayText &text);
