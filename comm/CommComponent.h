#pragma once

#include "comm/LineConditions.h"
#include "comm/PortFault.h"
#include "comm/Reply.h"

#include <QString>

#include <functional>
#include <memory>

class TrafficLog;

// Framings selectable with setFrameMode().
enum class FrameMode : int {
    Vendor = 0,
    Ravtocol = 1,
    ModbusAscii = 2,
    ModbusRtu = 3,
};

// The communication component: owns the serial port, frames requests, waits for and checks the
// reply. Requests block the calling thread until a complete reply frame has arrived or the reply
// timeout has passed, whichever comes first. See docs/protocols.md for the frames and for how a
// reply is rendered as text.
class CommComponent
{
public:
    virtual ~CommComponent() = default;

    // Sends one request and returns its reply: the valid frame rendered as text with verdict Ok
    // or Exception, or no text and the verdict that says why there is none (no reply, bad
    // checksum, another station, port lost...).
    virtual Reply sendRequest(const QString &station, const QString &subAddress,
                              const QString &command, const QString &address,
                              const QString &data) = 0;
    // Called before every request: drop stale input.
    virtual void prepareSend() = 0;

    // Opens the port with the line parameters set so far; true when the port is open. Repeating
    // it on an open port keeps it open.
    virtual bool openPort() = 0;
    // Harmless when no port is open.
    virtual void closePort() = 0;
    // Why the last openPort failed (None after a good one): among others a device this user may
    // not use (on Linux: not in the group that owns it, usually "dialout") and one that another
    // program holds, under this or any other name for it (Busy).
    virtual PortOpenFault lastOpenFault() const { return {}; }
    // Why the open line was lost (a server that ended the connection), until the next openPort;
    // None when it was not, or nothing more is known than that it is gone.
    virtual PortOpenFault lineLostFault() const { return {}; }

    // The reply timeout of the user protocols, the one every request waits unless a longer one is
    // set where the controller needs it (a vendor-frame entry).
    static constexpr int DefaultReplyTimeoutMs = 300;
    virtual void setReplyTimeout(int milliseconds) = 0;
    virtual int replyTimeout() const = 0;

    // The line the port is opened with; a change takes effect at the next openPort.
    const LineConditions &line() const { return m_line; }
    void setPortName(const QString &name) { m_line.portName = name; }
    QString portName() const { return m_line.portName; }
    void setSpeed(const QString &speed) { m_line.speed = speed; }
    QString speed() const { return m_line.speed; }
    void setDataBits(const QString &bits) { m_line.dataBits = bits; }
    QString dataBits() const { return m_line.dataBits; }
    void setStopBits(const QString &bits) { m_line.stopBits = bits; }
    QString stopBits() const { return m_line.stopBits; }
    void setParity(const QString &parity) { m_line.parity = parity; }
    QString parity() const { return m_line.parity; }

    virtual void setFrameMode(FrameMode mode) = 0;

    // Where every exchange on the line is recorded (nullptr: nowhere); searchProbes marks the
    // exchanges from here on as the automatic search's. Components that do not own a line
    // ignore both.
    virtual void setTrafficLog(TrafficLog *log) { m_traffic = log; }
    virtual void setSearchProbes(bool searchProbes) { m_searchProbes = searchProbes; }

    // Data word number wordNumber (from 1) of a reply text as four hexadecimal digits; empty when
    // the reply holds no such word.
    virtual QString replyWord(const QString &reply, int wordNumber) const = 0;

protected:
    TrafficLog *trafficLog() const { return m_traffic; }
    bool searchProbes() const { return m_searchProbes; }

private:
    LineConditions m_line;
    TrafficLog *m_traffic = nullptr;
    bool m_searchProbes = false;
};

using CommComponentFactory = std::function<std::unique_ptr<CommComponent>()>;
