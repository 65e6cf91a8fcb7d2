#pragma once

#include "comm/SessionContext.h"

#include <QString>
#include <QtGlobal>

#include <functional>

class ComLink;
class OperatorInterface;
class RequestLayer;
struct SessionState;

// The controller's vendor frame, entered and left for the items that live only there: the
// special-mode key is written to the mode register in the user's protocol, the body runs with
// protocolIndex 3 (the user's protocol kept in savedProtocolIndex), and the return command brings
// the controller back. The vendor-frame reads and writes both run their requests through here,
// and the link check returns a controller an earlier run left in the frame.
class VendorFrameSession
{
public:
    // Answers other than "keys operated" that the key write and the return tolerate before they
    // give up with message 715. Refusals because the keys are operated are not counted: those
    // repeat, each after the operator has seen messages 455/456, until the keys are released.
    static constexpr int MaxAttempts = 5;

    enum class KeyResult {
        Accepted, // the controller is now in the vendor frame
        NoReply,  // nothing came back; the exchange goes on and its reads will find no reply
        GaveUp,   // MaxAttempts other answers; message 715 shown, the controller stays put
        KeysHeld, // the keys stayed operated until the operator interface stopped the wait
    };

    VendorFrameSession(const SessionContext &context);

    // One vendor-frame exchange around body: the special-mode key in the user's protocol, body
    // with protocolIndex 3 (reply wait 400 ms), the return command, the user's protocol again.
    // refresh clears status bar panel 1 before the return (the 10-second refresh). Nothing runs
    // while another exchange is under way, nor when the key write gave up.
    void runExchange(const std::function<void()> &body, bool refresh = false);

    // Writes key (the data field) to the mode register until the controller accepts it. A refusal
    // because the controller's keys are being operated shows messages 455/456 (the operator's OK
    // paces the loop) and is tried again for as long as the keys are worked and the operator
    // interface lets the wait go on (keepWaiting). Any other answer is tried again at most
    // MaxAttempts times in all, then message 715.
    KeyResult writeKeyUntilAccepted(const QString &key);
    // Sends the vendor-frame return command until it goes unanswered (the controller has left the
    // vendor frame), with a beep and messages 455/456 before each repetition: whatever the
    // controller answers, it is still in its vendor frame, and the operator's OK paces the loop.
    // Ends early, the controller left in its vendor frame, when the operator interface stops the
    // wait (keepWaiting). Leaves protocolIndex at 3; the caller restores it.
    void returnFromVendorFrame();

    // True while an exchange runs. A message box inside an exchange lets timer ticks through;
    // those must neither start a second exchange nor take protocolIndex 3 for a broken one.
    bool exchangeRunning() const { return m_running; }

    // optionWord bit 0x01 (contact input) set and bit 0x02 (serial communication) clear.
    static bool hasSv2Option(const SessionState &shared);
    // Input type (code 49) 30 or more and optionWord2 bit 0x10 (DC current output).
    static bool hasAbnormalOutputItem(const SessionState &shared);
    // The key's data field: "1A4C" under Ravtocol (low byte first), "4C1A" otherwise.
    static QString keyData(qint16 protocolIndex);

private:
    void setReplyTimeout(int milliseconds);

    SessionState &m_shared;
    RequestLayer &m_request;
    ComLink &m_link;
    OperatorInterface &m_op;
    bool m_running = false;
};
