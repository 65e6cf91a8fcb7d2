#pragma once

#include "base/MainView.h"
#include "base/OperatorInterface.h"
#include "comm/Checksums.h"
#include "comm/FrameCodec.h"
#include "comm/PortNames.h"
#include "comm/RegisterMap.h"
#include "comm/SerialCommComponent.h"
#include "comm/SettingsStore.h"
#include "display/MainDisplayModel.h"
#include "sim/SimConfig.h"
#include "transfer/CoreSession.h"

#include <QSettings>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// The benchmarks' controller answers 2 ms after a request.
constexpr int ResponseDelayMs = 2;

// The component, counting the characters every exchange puts on the line and the time it waits
// for the reply beyond them: the controller's response delay, or the reply timeout when nothing
// came (the vendor frame's return command is never answered).
class CountingCom : public SerialCommComponent
{
public:
    using SerialCommComponent::SerialCommComponent;

    Reply sendRequest(const QString &station, const QString &subAddress, const QString &command,
                      const QString &address, const QString &data) override
    {
        const Reply reply =
            SerialCommComponent::sendRequest(station, subAddress, command, address, data);
        requestChars +=
            frameCodec(m_mode).requestFrame({station, subAddress, command, address, data}).size();
        // An RTU reply is rendered as ':' + hex pairs + LRC + CR LF; on the line it is the bytes
        // of the pairs plus two CRC bytes.
        replyChars +=
            m_mode == FrameMode::ModbusRtu ? (reply.text.size() - 5) / 2 + 2 : reply.text.size();
        waitMicros += 1000 * (reply.text.isEmpty() ? qint64(replyTimeout()) : ResponseDelayMs);
        ++exchanges;
        rtuRequests += m_mode == FrameMode::ModbusRtu;
        return reply;
    }
    void setFrameMode(FrameMode mode) override
    {
        m_mode = mode;
        SerialCommComponent::setFrameMode(mode);
    }

    static void reset() { requestChars = replyChars = waitMicros = exchanges = rtuRequests = 0; }

    static inline qint64 requestChars = 0;
    static inline qint64 replyChars = 0;
    static inline qint64 waitMicros = 0;
    static inline qint64 exchanges = 0;
    static inline qint64 rtuRequests = 0; // those framed as Modbus RTU, each after a silence

private:
    FrameMode m_mode = FrameMode::ModbusAscii;
};

// A line of protocol at speed in the framing the program uses for it: 7E1 for Modbus ASCII and
// Ravtocol, 8N1 for Modbus RTU.
inline LineConfig benchLine(WireProtocol protocol, int speed)
{
    const bool rtu = protocol == WireProtocol::ModbusRtu;
    LineConfig line;
    line.protocol = protocol;
    line.speed = speed;
    line.dataBits = rtu ? 8 : 7;
    line.parity = rtu ? 'N' : 'E';
    line.responseDelayMs = ResponseDelayMs;
    return line;
}

// The least time the line needs for what CountingCom has counted: every character at the
// character time (7E1 for Modbus ASCII and Ravtocol, 8N1 for Modbus RTU), the wait for each reply
// and the 3.5-character silence before each request framed as Modbus RTU.
inline double countedLineSeconds(int speed, int dataBits, int stopBits, bool rtu)
{
    const qint64 charMicros = LineTiming::characterMicros(speed, dataBits, !rtu, stopBits);
    const qint64 gapMicros = rtu ? LineTiming::rtuFrameGapMicros(speed, 8, false, stopBits) : 0;
    return (double(charMicros) * double(CountingCom::requestChars + CountingCom::replyChars) +
            double(CountingCom::waitMicros) +
            double(CountingCom::rtuRequests) * double(gapMicros)) /
           1e6;
}

// No operator at the machine: every question is answered No, messages are only counted.
class SilentOperator : public OperatorInterface
{
public:
    void showMessage(const QList<int> &, MessageIcon) override { ++messages; }
    bool askYesNo(const QList<int> &, MessageIcon) override { return false; }
    void showText(int, const QString &, MessageIcon) override {}
    bool askYesNoText(int, const QString &, MessageIcon) override { return false; }
    void beep() override {}
    void setStatusPanel(int, const QString &) override {}
    void setMenuEnabled(MenuItem, bool) override {}
    void processEvents() override {}
    int messages = 0;
};

// Counts communication errors and works out the monitor panel as the window would, so that its
// cost is part of what a benchmark measures.
class BenchView : public NullMainView
{
public:
    void setCommErrorVisible(bool visible) override { commErrors += visible; }
    void refreshMonitor() override
    {
        trackAutoManualChange(*shared);
        panel = monitorPanelState(*shared);
    }
    SessionState *shared = nullptr;
    MonitorPanelState panel;
    int commErrors = 0;
};

// The core session of a benchmark over the simulated controller's pseudo-terminal as COM1, at one
// protocol and speed; its settings and journal in a folder dropped with the run.
struct BenchSession {
    using ComMaker = std::function<std::unique_ptr<SerialCommComponent>(PortNames)>;

    BenchSession(qint16 protocol, int speed, const QString &device, ComMaker makeCom)
        : m_device(device), m_makeCom(std::move(makeCom))
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder.path());
        const bool rtu = protocol == ModbusRtu;
        shared.protocolIndex = shared.savedProtocolIndex = protocol;
        shared.speedText = QString::number(speed);
        shared.dataBitsText = rtu ? QStringLiteral("8") : QStringLiteral("7");
        shared.parityText = rtu ? QStringLiteral("NONE") : QStringLiteral("EVEN");
        RegisterMap::fillRegisterTable(shared);
        RegisterMap::fillVendorItemTable(shared);
        view.shared = &shared;
    }

    bool open() { return core.link.renew().openPort(); }

    QTemporaryDir folder;
    SilentOperator op;
    BenchView view;
    SettingsStore store{QSettings::IniFormat};
    CoreSession core{{op, view, store, folder.path()}, SessionState(), [this] {
                         auto com = m_makeCom(PortNames({{QStringLiteral("COM1"), m_device}}));
                         com->setPortName(QStringLiteral("COM1"));
                         com->setSpeed(shared.speedText);
                         com->setDataBits(shared.dataBitsText);
                         com->setParity(shared.parityText);
                         com->setReplyTimeout(300);
                         return std::unique_ptr<CommComponent>(std::move(com));
                     }};
    SessionState &shared = core.shared;

private:
    QString m_device;
    ComMaker m_makeCom;
};
