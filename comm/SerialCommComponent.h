#pragma once

#include "comm/CommComponent.h"
#include "comm/FrameCodec.h"
#include "comm/LinePort.h"
#include "comm/PortNames.h"
#include "comm/TrafficRecord.h"

#include <QDeadlineTimer>

#include <chrono>
#include <memory>
#include <optional>

// The communication component over a serial line, used blocking on the calling thread. The line
// is a local device or, where the port name's device is a "tcp://" or "rfc2217://" URL, a line
// behind an Ethernet serial server (NetworkLinePort); every wait below then also has the network
// allowance on top of ReplyTimeout.
//
// sendRequest frames the request in the set FrameMode, drops stale input, keeps the Modbus RTU
// inter-frame silence, writes, and waits for the reply for at most ReplyTimeout from the moment
// the request has left the line. It returns as soon as a valid reply frame is complete; bytes
// that are noise, corrupt or another station's are dropped and the wait goes on within the same
// deadline. When the port fails (device unplugged) it is closed and every request answers
// PortLost until openPort succeeds again. A request that fails returns no sooner than ReplyTimeout
// after it was made, whatever the cause.
//
// A reply belongs to its request: after a request that got no valid reply, the next one to the
// same station in the same framing is written only once the line has been quiet for ReplyTimeout
// (at most twice that is waited), so that a late reply is dropped rather than taken for the next
// request's. Requests to another station or in another framing need no wait: their reply checks
// already reject it. Every reply is also judged against its own request (docs/protocols.md).
//
// With a traffic log set, every request is recorded there once it has its reply: the bytes
// written, every byte read while the reply was awaited, the time from the request having left
// the line to the reply, and the verdict returned. Bytes read between requests (a late reply
// dropped while the line falls quiet, stale input dropped before a request) are a record of
// their own, without request bytes, verdict LateReplyDropped. Recording copies what is there
// already; nothing is formatted.
//
// Port name and line parameters take effect when the port is opened.
class SerialCommComponent : public CommComponent
{
public:
    explicit SerialCommComponent(PortNames portNames = PortNames());
    ~SerialCommComponent() override;

    Reply sendRequest(const QString &station, const QString &subAddress, const QString &command,
                      const QString &address, const QString &data) override;
    void prepareSend() override;

    // False when the port name stands for no device, a line parameter text is not one of
    // "1200" ... "115200", "5" ... "8", "1" / "2", "EVEN" / "ODD" / "NONE", or the line does not
    // open (lastOpenFault says why: see SerialLinePort and NetworkLinePort). True at once when the
    // port is already open. A network line is connected anew.
    bool openPort() override;
    void closePort() override;
    PortOpenFault lastOpenFault() const override { return m_openFault; }
    PortOpenFault lineLostFault() const override { return m_lostFault; }

    void setReplyTimeout(int milliseconds) override { m_replyTimeoutMs = milliseconds; }
    int replyTimeout() const override { return m_replyTimeoutMs; }
    void setFrameMode(FrameMode mode) override { m_frameMode = mode; }

    QString replyWord(const QString &reply, int wordNumber) const override;

    bool isOpen() const;
    // What a line behind a serial server may take longer than a local one to answer; taken at
    // the next openPort.
    void setNetworkAllowance(int milliseconds) { m_networkAllowanceMs = milliseconds; }
    static constexpr int DefaultNetworkAllowanceMs = 100;

private:
    using Clock = std::chrono::steady_clock;

    // sendRequest proper; record, when given, gets the request bytes, the reply bytes and the
    // response time.
    Reply exchange(const FrameRequest &request, TrafficRecord *record);
    // Writes the request; false (the port closed when it failed) when it did not go out.
    bool writeFrame(const QByteArray &frame);
    // Collects input until a valid reply is complete or the deadline passes; then the verdict of
    // what came: the first frame dropped for a reason (checksum, station...), else a frame left
    // incomplete (WrongLength), else noise, else nothing (NoReply).
    // received, when given, gets every byte read; noiseBefore whether bytes were dropped before
    // the frame taken.
    Reply awaitReply(const FrameCodec &codec, const FrameRequest &request,
                     const QDeadlineTimer &deadline, QByteArray *received, bool *noiseBefore);
    void discardInput();
    // Records bytes read between requests as a late reply dropped.
    void recordDropped(const QByteArray &bytes);
    // Waits until the line has been silent for the reply timeout since the unanswered request,
    // dropping what arrives meanwhile; bounded by twice the reply timeout.
    void letLineFallQuiet();
    void keepFrameGap() const;
    // True (and the port closed) when the last port operation failed for another reason than a
    // timeout: the device is gone or unusable.
    bool lineLost();
    // ReplyTimeout plus the line's allowance.
    int replyWaitMs() const;

    PortNames m_portNames;
    std::unique_ptr<LinePort> m_port;
    int m_networkAllowanceMs = DefaultNetworkAllowanceMs;
    FrameMode m_frameMode = FrameMode::ModbusAscii;
    int m_replyTimeoutMs = DefaultReplyTimeoutMs;

    // Of the open port: one character's time, the RTU silence, and when the line fell quiet.
    PortOpenFault m_openFault;
    PortOpenFault m_lostFault;
    std::chrono::microseconds m_characterTime{0};
    std::chrono::microseconds m_frameGap{0};
    Clock::time_point m_lineQuietSince;

    // The last request that got no valid reply, while its reply may still come.
    struct Unanswered {
        FrameMode mode;
        QString station;
        Clock::time_point since;
    };
    std::optional<Unanswered> m_unanswered;
    // The last request sent, whose station and framing bytes between requests are recorded under.
    FrameMode m_lastMode = FrameMode::ModbusAscii;
    QString m_lastStation;
};
