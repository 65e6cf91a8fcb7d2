#pragma once

#include <QString>

// What the link check is doing, as the window's link check panel shows it.
enum class LinkCheckState {
    Idle,        // panel hidden
    Checking,    // the start-up check of the stored conditions: no cancel, it takes one probe
    GoingOnline, // the online button's start read of the controller's settings: no cancel
    Searching    // the automatic search: its progress and one Cancel, the hourglass pointer
};

// One probe of the automatic search about to be sent, and what is left of the search at worst.
struct SearchProgress {
    QString port;        // "COM3"
    QString speed;       // "19200"
    QString protocol;    // "Modbus RTU"
    QString station;     // the instrument number as sent, "37"
    int probesLeft = 0;  // this one included, if every port still to come opens
    int secondsLeft = 0; // when none of them is answered, each costing the reply timeout
};

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
    // The link check panel for the given state.
    virtual void setLinkCheckState(LinkCheckState state) = 0;
    // Online button caption, state label and monitor label for monitoring on or off.
    virtual void setMonitoringState(bool running) = 0;
    // The "Communication error" box.
    virtual void setCommErrorVisible(bool visible) = 0;
    // Why the last request got no reply, in the operator's words ("The controller answered with
    // a bad checksum: ..."), told just before the box is shown: its second line. Empty when there
    // is nothing to add to "Communication error".
    virtual void setCommErrorCause(const QString &text) { (void)text; }
    // Why the controller refused a request (its exception code), told when "NG" is shown; the
    // keys-operated refusal has its own notice and is not told here.
    virtual void showRefusal(const QString &text) { (void)text; }
    // Rebuilds the setting rows of the inner tab control's current page.
    virtual void refreshSettingPage() = 0;
    // Rebuilds the monitor panel from the monitor values (after each monitor read).
    virtual void refreshMonitor() = 0;
    // Closes the main window through its close handling (which asks whether to end).
    virtual void requestClose() = 0;

    // JobTimer, VendorRefreshTimer and SupervisionTimer together: the monitoring timers.
    virtual void setMonitoringTimersEnabled(bool enabled) { (void)enabled; }
    // The Trace menu's check mark, and stopping the chart's tracing with it.
    virtual bool isTracing() const { return false; }
    virtual void stopTracing() {}
    // The transfer progress frame (Frame4) captioned with messageId (0: no caption), and its bar.
    virtual void setProgressVisible(bool visible, int messageId) { (void)visible, (void)messageId; }
    virtual void setProgressValue(int value) { (void)value; }
    // The key-operation notice (keyOperationNotice, pageKeyOperationNotice), hidden again after 2
    // s.
    virtual void showKeyOperationNotice() {}
    // showLoadedSettings: every setting value label of all three pages shows its value as loaded
    // from a settings data file.
    virtual void showLoadedSettings() {}
    // Switches the change buttons of one setting group (title button groupLockButton(group), 0 to
    // 5) between enabled and disabled.
    virtual void toggleSettingGroup(int group) { (void)group; }
    // The setting rows' change buttons: disabled until a link check enables them; the rows' own
    // rules then decide.
    virtual void setParameterButtonsEnabled(bool enabled) { (void)enabled; }
    // After every monitor read: the trend chart shows its value labels and recolours them.
    virtual void showChartValues() {}
    // Before each probe of the automatic search, while the panel is in LinkCheckState::Searching.
    virtual void showSearchProgress(const SearchProgress &progress) { (void)progress; }
};

class NullMainView : public MainView
{
public:
    void showCommInfo(const QString &, const QString &, const QString &, const QString &,
                      const QString &, const QString &) override
    {
    }
    void setLinkCheckState(LinkCheckState) override {}
    void setMonitoringState(bool) override {}
    void setCommErrorVisible(bool) override {}
    void refreshSettingPage() override {}
    void refreshMonitor() override {}
    void requestClose() override {}
};
