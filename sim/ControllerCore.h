#pragma once

#include "sim/FaultInjector.h"
#include "sim/ProcessModel.h"
#include "sim/RegisterBank.h"
#include "sim/RequestLog.h"
#include "sim/ServerFrames.h"
#include "sim/SimConfig.h"

#include <QByteArray>
#include <QList>
#include <QMap>

// The simulated controller without its line: request bytes in, reply bytes out. It holds the
// registers, the process, the vendor-frame state, the front-panel key lock and the faults; the
// transport feeds it what arrives, sends what it returns and tells it how much time has passed.
class ControllerCore
{
public:
    // The vendor frame is left by itself after this long without a vendor frame.
    static constexpr int VendorFrameIdleMs = 5000;
    // The key that opens the vendor frame, written to the mode register.
    static constexpr quint16 VendorKey = 0x4C1A;

    // One reply ready for the line.
    struct Reply {
        QByteArray bytes;
        int extraDelayMs = 0; // on top of the response delay
    };

    explicit ControllerCore(const LineConfig &line = {}, const ModelOptions &model = {},
                            int inputType = 0, qint16 modeValue = RegisterBank::DefaultModeValue);

    // Bytes from the line; the replies to every request they complete, in order.
    QList<Reply> receive(const QByteArray &bytes);
    // The line has been quiet for quietMicros(): a partial request is dropped.
    void lineQuiet();
    // How long a silence ends a partial request: 3.5 characters in Modbus RTU (at least 20 ms, as
    // a pseudo-terminal delivers a frame in pieces under load), 1 s in the text framings.
    qint64 quietMicros() const;
    // Real time has passed; the process advances by realMs x timeScale.
    void advance(int realMs);

    const LineConfig &line() const { return m_line; }
    // Takes effect with the next request; a partial request is dropped.
    void setLine(const LineConfig &line);
    void setTimeScale(double scale) { m_timeScale = scale; }

    // The front panel's keys are being operated for this long: writes are refused.
    void operateKeys(int realMs) { m_keysOperatedMs = realMs; }
    // The keys go into operation for realMs once this many more requests addressed to this
    // controller have been answered, so that a test can refuse a transfer midway.
    void operateKeysAfter(int requests, int realMs);
    bool keysOperated() const { return m_keysOperatedMs > 0; }
    // A setting changed at the front panel: stored unchecked, status bit 0x8000 raised.
    void panelSet(quint16 address, qint16 value);
    // Requests of one register refused as a faulty controller refuses them: reads or writes after
    // the first `answered` ones get Modbus exception exceptionCode (Ravtocol error 20), the
    // register keeping its value. An exception code of 0 ends the refusal.
    void refuseReads(quint16 address, int exceptionCode, int answered = 0);
    void refuseWrites(quint16 address, int exceptionCode, int answered = 0);

    bool inVendorFrame() const { return m_vendorFrame; }
    // Checked requests received so far, answered or not.
    int requestCount() const { return m_requestCount; }
    // The requests addressed to this controller (or broadcast), with their outcome.
    RequestLog &requestLog() { return m_log; }
    const RequestLog &requestLog() const { return m_log; }

    RegisterBank &registers() { return m_bank; }
    const RegisterBank &registers() const { return m_bank; }
    ProcessModel &process() { return m_process; }
    FaultInjector &faults() { return m_faults; }

private:
    // The reply to one request in the user protocol or the vendor frame; empty for none.
    QByteArray answerUser(const ServerRequest &request);
    QByteArray answerModbus(const ServerRequest &request);
    QByteArray answerRavtocol(const ServerRequest &request);
    QByteArray answerVendor(const ServerRequest &request);
    WriteResult writeRegister(quint16 address, qint16 value);

    struct Refusal {
        int exceptionCode = 0;
        int answered = 0; // requests still answered before the refusals begin
    };
    // Counts one request of address: the exception code to refuse it with, or 0.
    static int refusalOf(QMap<quint16, Refusal> &refusals, quint16 address);
    bool addressedHere(const ServerRequest &request, bool vendor) const;
    ServerDecoder &activeDecoder() { return m_vendorFrame ? m_vendorDecoder : m_userDecoder; }

    LineConfig m_line;
    RegisterBank m_bank;
    QMap<quint16, Refusal> m_readRefusals;
    QMap<quint16, Refusal> m_writeRefusals;
    ProcessModel m_process;
    FaultInjector m_faults;
    ServerDecoder m_userDecoder;
    ServerDecoder m_vendorDecoder{ServerFraming::Vendor};
    double m_timeScale = 1.0;
    int m_keysOperatedMs = 0;
    int m_keysCountdown = -1; // requests until the keys go into operation; -1: none pending
    int m_keysPendingMs = 0;
    bool m_vendorFrame = false;
    bool m_enterVendorFrame = false;
    int m_vendorIdleMs = 0;
    int m_requestCount = 0;
    RequestLog m_log;
};
