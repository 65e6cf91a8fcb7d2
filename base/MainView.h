#pragma once

#include <QString>

// What the core changes on the main window besides messages, menus and the status bar. The
// desktop window implements it; the headless tool and tests use NullMainView or a recorder.
// Operations are added here as the core needs them; each documents what the window shows.
class MainView
{
public:
    virtual ~MainView() = default;

    // The six communication information labels: port, speed, "data bits, parity", stop bits,
    // instrument number, protocol name.
    virtual void showCommInfo(const QString &port, const QString &speed, const QString &dataParity,
                              const QString &stopBits, const QString &station,
                              const QString &protocol) = 0;
    // The two search panels with their cancel buttons, and the hourglass pointer.
    virtual void setSearchPanelsVisible(bool visible) = 0;
    // Online button caption, state label and monitor label for monitoring on or off.
    virtual void setMonitoringState(bool running) = 0;
    // The "Communication error" box.
    virtual void setCommErrorVisible(bool visible) = 0;
    // Rebuilds the setting rows of the inner tab control's current page.
    virtual void refreshSettingPage() = 0;
    // Rebuilds the monitor panel from the monitor values (after each monitor read).
    virtual void refreshMonitor() = 0;
    // Closes the main window through its close handling (which asks whether to end).
    virtual void requestClose() = 0;

    // Timer1, Timer5 and Timer6 together: the monitoring timers.
    virtual void setMonitoringTimersEnabled(bool enabled) { (void)enabled; }
    // The Trace menu's check mark, and stopping the chart's tracing with it.
    virtual bool isTracing() const { return false; }
    virtual void stopTracing() {}
    // The transfer progress frame (Frame4) captioned with messageId (0: no caption), and its bar.
    virtual void setProgressVisible(bool visible, int messageId) { (void)visible, (void)messageId; }
    virtual void setProgressValue(int value) { (void)value; }
    // The key-operation notice (Text_readmsg3, Text_readmsg5), hidden again after 2 s.
    virtual void showKeyOperationNotice() {}
    // Read_data3: every setting value label of all three pages shows its value as loaded from a
    // settings data file.
    virtual void Read_data3() {}
    // Switches the change buttons of one setting group (title button Cmd_True(group), 0 to 5)
    // between enabled and disabled.
    virtual void toggleSettingGroup(int group) { (void)group; }
    // The setting rows' change buttons: disabled until a link check enables them; the rows' own
    // rules then decide.
    virtual void setParameterButtonsEnabled(bool enabled) { (void)enabled; }
    // The trend chart's ChartMaxCh property (0 after every monitor read: value labels shown and
    // recoloured).
    virtual void setChartMaxCh(qint16 value) { (void)value; }
};

class NullMainView : public MainView
{
public:
    void showCommInfo(const QString &, const QString &, const QString &, const QString &,
                      const QString &, const QString &) override
    {
    }
    void setSearchPanelsVisible(bool) override {}
    void setMonitoringState(bool) override {}
    void setCommErrorVisible(bool) override {}
    void refreshSettingPage() override {}
    void refreshMonitor() override {}
    void requestClose() override {}
};
