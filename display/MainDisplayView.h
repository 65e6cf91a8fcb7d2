#pragma once

#include "display/MainDisplayModel.h"

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>

// Copies MonitorPanelState and SettingPageState onto the main window's controls, which it finds
// by object name among the window's children when it is constructed (so construct it after the
// form is set up): a control array element is named "Name_index" (Text_SV_0, Label_A1val_4,
// Cmd_set_26). A control the window does not have is skipped.
class MainDisplayView
{
public:
    explicit MainDisplayView(QWidget *window);

    void showMonitorPanel(const MonitorPanelState &state);
    void showSettingPage(const SettingPageState &state);
    // The value label of a setting item (Text_SV(1) for the main set value) takes text, as an
    // offline change leaves it until the page is rebuilt.
    void setValueText(int code, const QString &text);
    QString valueText(int code);
    // The six manual output buttons Manuval(0..5).
    void setManualButtonsVisible(bool visible);
    // Switches one group's frame (title button Cmd_True(group) and RowGroup order) between enabled
    // and disabled; its title button stays usable, and its change buttons stay disabled through
    // later pages until the group is enabled again.
    void toggleGroup(int group);

private:
    QWidget *valueLabel(int code);
    QWidget *control(const QString &name);
    QWidget *control(const QString &name, int index);

    QHash<QString, QPointer<QWidget>> m_controls;
    std::array<bool, 6> m_groupDisabled{};
};

// The text a label shows for a DisplayText: the message's text in the active language, or the
// fixed text.
QString displayText(const DisplayText &text);
