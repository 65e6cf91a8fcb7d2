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
    QString station;     // instrument number as sent
    FrameMode mode = FrameMode::ModbusAscii;
    QString command; // the request as the request layer made it
    QString address;
    QString data;
    QByteArray request;  // bytes written; empty when nothing went out
    QByteArray reply;    // bytes that came back while the reply was awaited
    QString replyText;   // the valid frame rendered as text (Ok or Exception), else empty
    int responseMs = -1; // request on the line to reply complete (or to giving up); -1 not sent
    ReplyVerdict verdict = ReplyVerdict::NoReply;
    int exceptionCode = 0;
    bool noiseBefore = false; // bytes that made no frame came before the reply
    bool searchProbe = false; // sent by the automatic search
};

// What one station's exchanges came to since the counters were last reset.
struct TrafficCounters {
    int requests = 0;
    int good = 0;
    int noReply = 0;
    int checksum = 0;
    int exceptions = 0;
    int late = 0;
    int otherFaults = 0;        // wrong station, function or length, noise, port lost
    qint64 totalResponseMs = 0; // over the good ones
    int worstResponseMs = 0;

    double meanResponseMs() const { return good == 0 ? 0.0 : double(totalResponseMs) / good; }
    void add(const TrafficRecord &record);
};
