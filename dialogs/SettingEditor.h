#pragma once

#include "comm/SessionContext.h"

#include <functional>

class MainDisplayView;
class QString;
class QWidget;

// Opens the dialog that edits a setting item and shows its result on the main window: the entry
// dialog for numeric items (limits and texts from SettingRanges::entryRange), the selection dialog
// for choice items, the model change dialog from the Setting menu. Online an accepted change is
// left to the job timer (startJobTimer makes sure JobTimer runs); offline the page is rebuilt and
// the item's value label shows the dialog's text.
class SettingEditor
{
public:
    SettingEditor(const SessionContext &context, MainDisplayView &display, QWidget *window,
                  std::function<void()> startJobTimer);

    // The change button of code pressed, once its pre-checks have passed.
    void edit(int code);
    // Setting > Model change while offline.
    void changeModel();

private:
    void editNumber(int code);
    void editChoice(int code);
    // Offline: the page rebuilt for the new value, the item's label showing the dialog's text.
    void showOffline(int code, const QString &valueText);

    SessionContext m_context;
    MainDisplayView &m_display;
    QWidget *m_window;
    std::function<void()> m_startJobTimer;
};
