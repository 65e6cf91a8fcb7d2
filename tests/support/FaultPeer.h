#pragma once

#include "tests/support/Pty.h"
#include "tests/support/ScriptedController.h"

#include <QStringList>

#include <memory>
#include <mutex>

// A controller on a pseudo-terminal for the fault matrix: it frames the line itself from
// docs/protocols.md (Modbus ASCII or RTU, and the vendor frame), with checksums of its own, so
// that it shares no code with the simulated controller nor with the program's codecs. Its
// registers are a ScriptedController's. One request, numbered from 1 in the order they arrive,
// can be spoilt, or one in every so many from there on.
class FaultPeer
{
public:
    enum class Framing { ModbusAscii, ModbusRtu };
    enum class Fault {
        None,
        NoReply,      // the request takes effect, its reply is lost
        Late,         // the request takes effect, its reply comes after the reply timeout but
                      // before the program's next request
        BadChecksum,  // the request takes effect, its reply's checksum is wrong
        KeysRefusal,  // a write is refused as while the keys are operated; a read is answered
        OtherRefusal, // refused for another reason (register absent, value out of range)
        DeadLine,     // from this request on nothing is answered nor takes effect
    };

    // every > 0: the fault comes again every that many requests after faultAt.
    FaultPeer(Framing framing, Fault fault = Fault::None, int faultAt = 0, int every = 0);
    ~FaultPeer();
    FaultPeer(const FaultPeer &) = delete;
    FaultPeer &operator=(const FaultPeer &) = delete;

    QString slavePath() const { return m_pty.slavePath(); }
    // Every request so far, numbered from 1 by its place: "R 0080", "W 0004=002D", vendor frame
    // "a FC96", "q FC30=012C", "P 0000=0000".
    QStringList requests() const;
    // Register and vendor item values; ask them once the program under test has ended.
    qint16 reg(const QString &address) const;
    qint16 vendorItem(const QString &item) const;

    static QString faultName(Fault fault);

    // Set before the program starts.
    ScriptedController controller;

private:
    PeerAnswer respond(const QByteArray &frame);
    // The request's fields as the request layer hands them over; false for a frame that is not a
    // request of ours (checksum, length).
    bool parse(const QByteArray &frame, FakeCom::Request &request) const;
    // The reply text (a FakeCom-rendered frame) as bytes on the line, checksum made here;
    // spoiled: with a wrong checksum.
    QByteArray onLine(const QString &reply, bool spoiled) const;
    QString refusal(const FakeCom::Request &request, bool keys) const;

    Framing m_framing;
    Fault m_fault;
    int m_faultAt;
    int m_every;
    Pty m_pty;
    mutable std::mutex m_mutex;
    QStringList m_requests;
    std::unique_ptr<PtyPeer> m_peer;
};
