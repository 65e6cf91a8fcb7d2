#pragma once

#include "sim/ServerFrames.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// One request the controller took as addressed to it, and how it answered.
struct LoggedRequest {
    bool vendor = false; // received in the vendor frame
    // "03", "06" (Modbus), "RD", "WD" (Ravtocol), or the vendor command character.
    QByteArray command;
    // The register as a Modbus address (Ravtocol data-register numbers converted back), or the
    // vendor item.
    quint16 address = 0;
    // The word written, in the value the controller took from the wire (a Ravtocol word already
    // put back from low byte first): a Ravtocol "0100" is logged as 1.
    std::optional<quint16> data;
    bool answered = false;
    // Why it was refused as the reply says it: the Modbus exception or Ravtocol error code
    // ("03", "12", "30", "63"), "NAK", "!" or "ESC" in the vendor frame; empty when accepted.
    QByteArray refusal;

    // One line: command, address, data, outcome; e.g. "06 0070 0001 ok", "WD 0001 05DC refused
    // 30", "vendor q FC30 012C ok", "vendor P 0000 0000 no reply".
    QString text() const;
};

// The requests received, oldest first, so that tests and the operator of the simulator can check
// the order on the wire. Keeps the latest Capacity entries.
class RequestLog
{
public:
    static constexpr int Capacity = 20000;

    // Records a request and the reply the controller formed for it (before any injected fault),
    // empty when it did not answer.
    void record(ServerFraming framing, const ServerRequest &request, const QByteArray &reply);
    const QList<LoggedRequest> &entries() const { return m_entries; }
    void clear() { m_entries.clear(); }

private:
    QList<LoggedRequest> m_entries;
};
