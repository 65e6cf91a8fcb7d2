#pragma once

#include "base/MainView.h"

#include <QList>
#include <QPair>

// A main window stand-in that records what the core asked it to show.
class RecordingMainView : public NullMainView
{
public:
    void setMonitoringState(bool running) override { monitoringStates.append(running); }
    void setCommErrorVisible(bool visible) override
    {
        commErrorVisible = visible;
        if (visible)
            ++commErrorShown;
    }
    void refreshSettingPage() override { ++settingPageRefreshes; }
    void refreshMonitor() override { ++monitorRefreshes; }
    void setMonitoringTimersEnabled(bool enabled) override { timersEnabled = enabled; }
    bool isTracing() const override { return tracing; }
    void stopTracing() override { tracing = false; }
    void setProgressVisible(bool visible, int messageId) override
    {
        progressVisible = visible;
        progressShown.append(qMakePair(visible, messageId));
    }
    void setProgressValue(int value) override { progressValues.append(value); }
    void showChartValues() override { ++chartValuesShown; }
    void showKeyOperationNotice() override { ++keyOperationNotices; }
    void toggleSettingGroup(int group) override { toggledGroups.append(group); }
    void showLoadedSettings() override { ++readData3Calls; }

    QList<bool> monitoringStates;
    bool commErrorVisible = false;
    int commErrorShown = 0;
    int settingPageRefreshes = 0;
    int monitorRefreshes = 0;
    bool timersEnabled = true;
    bool tracing = false;
    bool progressVisible = false;
    QList<QPair<bool, int>> progressShown;
    QList<int> progressValues;
    int chartValuesShown = 0;
    int keyOperationNotices = 0;
    QList<int> toggledGroups;
    int readData3Calls = 0;
};
