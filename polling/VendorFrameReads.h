#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
struct ZN8P_INC;

// Reads of the items that live only in the controller's vendor frame: set values 2 to 4
// (codes 58 to 60), the contact input function (61), the output status when input abnormal (62)
// and the OUT/OFF key function (63). Each operation is one exchange: the special-mode key is
// written to the mode register in the user's protocol, the items are read in the vendor frame
// (protocolIndex 3, the user's protocol kept in savedProtocolIndex), and the return command brings
// the controller back. Values land in settingValues through ReadDataSet.
class VendorFrameReads
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

    VendorFrameReads(ZN8P_INC &inc, RequestLayer &request, ComLink &link, OperatorInterface &op,
                     MainView &view);

    // Reads back inc.itemCode 58, 59, 60 or 61 when the SV2 to SV4 option is present; 59 and 60
    // only while code 61 is 0. The key write and the return run whenever the option is present,
    // even when the code reads nothing.
    void Read_SV();
    // Reads back code 63, or code 62 when inc.itemCode is 62 (that exchange runs only with the
    // DC current output on a DC input, see hasAbnormalOutputItem()).
    void Read_data();
    // The 10-second refresh of codes 61, 58 and, while 61 is 0, 59 and 60. Nothing is sent
    // without the option or while code 61 is 2.
    void Read_SV2();
    // The 10-second refresh of code 62, under the same condition as Read_data for 62.
    void Read_data2();

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
    KeyResult WriteKeyUntilAccepted(const QString &key);
    // Sends the vendor-frame return command until it goes unanswered (the controller has left the
    // vendor frame), with a beep and messages 455/456 before each repetition: whatever the
    // controller answers, it is still in its vendor frame, and the operator's OK paces the loop.
    // Ends early, the controller left in its vendor frame, when the operator interface stops the
    // wait (keepWaiting). Leaves protocolIndex at 3; the caller restores it.
    void ReturnFromVendorFrame();

    // Whether the last Read_SV or Read_data stored a value the controller sent; false when it
    // read nothing, was refused or went unanswered.
    bool lastReadAccepted() const { return m_lastReadAccepted; }

    // True while an exchange runs. A message box inside an exchange lets timer ticks through;
    // those must neither start a second exchange nor take protocolIndex 3 for a broken one.
    bool exchangeRunning() const { return m_running; }

    // optionWord bit 0x01 (contact input) set and bit 0x02 (serial communication) clear.
    static bool hasSv2Option(const ZN8P_INC &inc);
    // Input type (code 49) 30 or more and optionWord2 bit 0x10 (DC current output).
    static bool hasAbnormalOutputItem(const ZN8P_INC &inc);
    // The key's data field: "1A4C" under Ravtocol (low byte first), "4C1A" otherwise.
    static QString keyData(qint16 protocolIndex);

private:
    void readItem(int code);
    void setReplyTimeout(int milliseconds);

    ZN8P_INC &m_inc;
    RequestLayer &m_request;
    ComLink &m_link;
    OperatorInterface &m_op;
    MainView &m_view;
    bool m_running = false;
    bool m_lastReadAccepted = false;
};
