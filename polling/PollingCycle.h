#pragma once

#include "comm/SessionContext.h"

#include "polling/ReplyReporter.h"

#include <QtGlobal>

class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
class SettingsStore;
class VendorFrameReads;
class VendorFrameSession;
struct SessionState;

// The work of the three monitoring timers while online. The window (or the headless tool) owns
// the timers and calls one tick function per timeout:
//   JobTimer (1 ms), job 1 of the dispatcher -> runMonitorJob()
//   VendorRefreshTimer (10 s)                          -> refreshVendorItems()
//   SupervisionTimer (100 ms)                        -> superviseLink()
class PollingCycle
{
public:
    static constexpr int RotationLength = 7;
    // Unanswered requests in a row (commErrorCount) after which the program goes offline. Any
    // answer from the controller sets the count back to 0, so that a line that loses a frame now
    // and then is never taken for lost, however long it runs.
    static constexpr qint16 OfflineErrorCount = 5;

    PollingCycle(const SessionContext &context, VendorFrameReads &vendorReads,
                 VendorFrameSession &vendorFrame, SettingsStore &store);

    // The monitor code read at a rotation step (0 to 6): 0, 4, 3, 1, then 2 / 5 / 6 when optionWord
    // has heating/cooling (0x40) / heater burnout (0x04) / three-phase (0x10), else 0 / 4 / 3.
    static int monitorCode(qint16 step, qint16 optionWord);

    // One monitor read of the code at shared.monitorStep: the reply shows "OK" or "NG" in status
    // bar panel 1, no reply shows the communication error box and sets commErrorFlag. Then the
    // status check after a good read of the status word (which may schedule an upload in
    // shared.timerJob), the next step, and the
    // monitor panel refresh. (The dispatcher clears unsavedOnlineChanges before job 1.) Does
    // nothing while a vendor-frame exchange runs, like refreshVendorItems(). True when the step
    // stored a value just read; false when it read nothing (no reply, a refusal, a reply not
    // understood, or nothing done), and the value of its code is then the one read before.
    bool runMonitorJob();

    // The 10-second refresh of the vendor-frame items: nothing while auto-tuning runs
    // (statusWord bit 0x800); else the mode register is written 0000 and, unless the controller
    // refuses that write, the set values 2 to 4 with the contact input function (SV2 to SV4
    // option) and the output status when input abnormal are read.
    void refreshVendorItems();

    // Link supervision: a tick without commErrorFlag hides the communication error box and
    // repairs a vendor-frame exchange that was cut off (message 715); a tick with it takes the
    // program offline (messages 274 to 278) once OfflineErrorCount requests in a row have gone
    // unanswered (and the line's loss named where the component knows it, messages 1173 and
    // 1174). A tick counts nothing itself: one lost reply followed by a pause (a message
    // box, the vendor-frame refresh) stays one.
    void superviseLink();

private:
    void goOffline();
    void restoreUserProtocol();

    SessionState &m_shared;
    RequestLayer &m_request;
    ComLink &m_link;
    OperatorInterface &m_op;
    MainView &m_view;
    VendorFrameReads &m_vendorReads;
    VendorFrameSession &m_vendorFrame;
    SettingsStore &m_store;
    ReplyReporter m_reporter;
};
