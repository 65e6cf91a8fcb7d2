#pragma once

#include "comm/CommComponent.h"
#include "comm/Reply.h"

#include <QByteArray>
#include <QString>

// One exchange on the line as the communication component saw it: what went out, what came
// back, how long it took and the verdict it reached. The decoded meaning (item, caption, value in
// the item's units) is derived from command, address and data when shown, so that it follows
// the operator's language.
struct TrafficRecord {
    quint64 serial = 0;  // running number within the run, from 1; set by TrafficLog
    qint64 sentAtMs = 0; // wall clock, ms since the epoch, when the request went out
    QString port;        // the port name as the operator knows it: "COM3", "tcp://gw:4001"
    QString speed;       // bit/s as set on the port: "9600"
    QString station;     // instrument number as sent: "0A" (Modbus), "10" (Ravtocol), "*" (vendor)
    FrameMode mode = FrameMode::ModbusAscii;
    QString command; // the request as the request layer made it
    QString address;
    QString data;
    QByteArray request; // bytes written; empty when nothing went out
    // Bytes that came back while the reply was awaited, all of them: noise and frames dropped
    // before the reply included. A record without request bytes but with reply bytes holds
    // bytes that arrived between requests (a late reply, dropped before the next request was
    // written): verdict LateReplyDropped, sentAtMs when they were read, responseMs -1.
    QByteArray reply;
    QString replyText; // the valid frame rendered as text (Ok or Exception), else empty
    // From the request having left the line (its last character sent at the line's speed) to
    // the reply complete, or to giving up; -1 when nothing was sent.
    int responseMs = -1;
    ReplyVerdict verdict = ReplyVerdict::NoReply;
    int exceptionCode = 0;
    bool noiseBefore = false; // bytes dropped (noise, a spoilt frame) came before the reply
    bool searchProbe = false; // sent by the automatic search

    // The instrument number as the operator knows it ("10"), from the station field as sent in
    // the record's framing; the field as it is when it holds none.
    QString instrument() const;
    // The vendor frame's return command gone unanswered: the controller does not answer it, it
    // leaves its vendor frame, so the silence is the outcome wanted, not a fault.
    bool silenceMeant() const;
};

// What one instrument's exchanges came to since the counters were last reset. Every request counts
// once under requests and once under the verdict it reached (a silence meant, under good); bytes
// between requests count under late only.
struct TrafficCounters {
    int requests = 0;
    int good = 0;
    int noReply = 0;
    int checksum = 0;
    int exceptions = 0;
    int late = 0;
    int otherFaults = 0;        // wrong station, function or length, noise, port lost
    int silentGood = 0;         // of the good ones, those answered by the silence meant
    qint64 totalResponseMs = 0; // over the good ones that were answered
    int worstResponseMs = 0;

    double meanResponseMs() const
    {
        const int answered = good - silentGood;
        return answered == 0 ? 0.0 : double(totalResponseMs) / answered;
    }
    void add(const TrafficRecord &record);
};
