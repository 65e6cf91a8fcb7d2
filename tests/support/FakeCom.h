#pragma once

#include "comm/CommComponent.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Scripted communication component for tests: records every call and answers sendRequest from
// a queue or a callback. Several instances may share one Script, so that a test sees the
// traffic of every instance a ComLink creates (each link check renews the instance).
//
//   auto script = std::make_shared<FakeCom::Script>();
//   script->replies << FakeCom::modbusRead(1, 250);
//   ComLink link(FakeCom::factory(script));
//   ... code under test ...
//   QCOMPARE(script->requests.at(0).address, QStringLiteral("00010001"));
//
// Recorded calls (Script::calls), in order: "ReplyTimeout=300",
// "FrameMode=2", "prepareSend", "closePort", "openPort" (after the line it opens
// with: "PortName=COM1", "Speed=9600", "DataBits=7", "StopBits=1", "Parity=EVEN"),
// "sendRequest", "created", "destroyed".
// replyWord follows docs/protocols.md: Modbus 03 word after the byte count, other Modbus
// functions after the function code, Ravtocol '$' words swapped back to high byte first,
// vendor ACK words after ACK and station character.
class FakeCom : public CommComponent
{
public:
    struct Request {
        QString station, subAddress, command, address, data;
        FrameMode frameMode = FrameMode::Vendor; // the mode in force when it was sent
    };

    struct Script {
        // The answer to a request: responder when set, else the front of replies (removed),
        // else an empty text (no reply).
        std::function<QString(const Request &)> responder;
        QStringList replies;
        // Results of openPort, front first; defaultOpenResult once the list is used up.
        QList<bool> openResults;
        bool defaultOpenResult = true;

        QStringList calls;
        QList<Request> requests;
        int created = 0;
        int destroyed = 0;

        // Calls recorded with the given prefix ("Speed=" -> {"Speed=9600", ...}).
        QStringList callsStartingWith(const QString &prefix) const;
    };

    explicit FakeCom(std::shared_ptr<Script> script = std::make_shared<Script>());
    ~FakeCom() override;

    // A factory whose instances all share script.
    static CommComponentFactory factory(const std::shared_ptr<Script> &script);

    Script &script() { return *m_script; }
    bool isOpen() const { return m_open; }
    FrameMode frameMode() const { return m_frameMode; }

    // The scripted text as the component's reply: its verdict read from the frame (Ok,
    // Exception), NoReply when it is empty.
    Reply sendRequest(const QString &station, const QString &subAddress, const QString &command,
                      const QString &address, const QString &data) override;
    void prepareSend() override;
    bool openPort() override;
    void closePort() override;
    void setReplyTimeout(int milliseconds) override;
    int replyTimeout() const override { return m_replyTimeout; }
    void setFrameMode(FrameMode mode) override;
    QString replyWord(const QString &reply, int wordNumber) const override;

    // Word n (from 1) of a reply text, as the real component extracts it.
    static QString wordOf(const QString &reply, int wordNumber);

    // Reply texts as the real component renders them (checksums included). station is the
    // instrument number.
    static QString modbusRead(int station, qint16 value);
    static QString modbusWriteEcho(int station, const QString &address, const QString &data);
    static QString modbusException(int station, int function, int exceptionCode);
    static QString ravtocolRead(int station, qint16 value);
    static QString ravtocolAccepted(int station);
    static QString ravtocolError(int station, int errorCode);
    static QString vendorAck(int station, const QString &word = QString());
    static QString vendorNak(int station);
    static QString vendorReadRefused(int station);
    static QString vendorEsc(int station);

private:
    void record(const QString &call) { m_script->calls.append(call); }

    std::shared_ptr<Script> m_script;
    bool m_open = false;
    FrameMode m_frameMode = FrameMode::ModbusAscii;
    int m_replyTimeout = DefaultReplyTimeoutMs;
};
