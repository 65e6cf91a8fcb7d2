#pragma once

#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/RequestLayer.h"
#include "comm/SettingsStore.h"
#include "tests/support/FakeCom.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/RecordingMainView.h"
#include "transfer/CoreSession.h"

#include <QSet>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

// A main window stand-in that also records the connection labels, the link check panel and closing.
class ConnectionView : public RecordingMainView
{
public:
    void showCommInfo(const QString &port, const QString &speed, const QString &dataParity,
                      const QString &stopBits, const QString &station,
                      const QString &protocol) override
    {
        commInfo = QStringList{port, speed, dataParity, stopBits, station, protocol};
    }
    void setLinkCheckState(LinkCheckState state) override { linkCheckStates.append(state); }
    void showSearchProgress(const SearchProgress &progress) override
    {
        searchProgress.append(progress);
    }
    void requestClose() override { ++closeRequests; }
    void setParameterButtonsEnabled(bool enabled) override { parameterButtonsEnabled = enabled; }

    QStringList commInfo;
    QList<LinkCheckState> linkCheckStates;
    QList<SearchProgress> searchProgress;
    int closeRequests = 0;
    bool parameterButtonsEnabled = false;
};

// A FakeCom whose port opens only for the names in openPorts (all when empty) and never for those
// in deniedPorts (this user may not use them) or busyPorts (another program holds them), and
// that tells the script's responder which port
// and speed it was opened with.
class PortAwareCom : public FakeCom
{
public:
    struct Line {
        QSet<QString> openPorts;
        QMap<QString, PortFault> faultyPorts; // ports that fail to open, and why
        QString port, speed;                  // of the last successful openPort
    };

    PortAwareCom(std::shared_ptr<Script> script, std::shared_ptr<Line> line)
        : FakeCom(std::move(script)), m_line(std::move(line))
    {
    }
    bool openPort() override
    {
        FakeCom::openPort();
        const PortFault fault = m_line->faultyPorts.value(portName(), PortFault::None);
        m_fault = {fault, QStringLiteral("/dev/tty-") + portName(), {}};
        if (fault != PortFault::None ||
            (!m_line->openPorts.isEmpty() && !m_line->openPorts.contains(portName())))
            return false;
        m_line->port = portName();
        m_line->speed = speed();
        return true;
    }

    PortOpenFault lastOpenFault() const override { return m_fault; }

private:
    std::shared_ptr<Line> m_line;
    PortOpenFault m_fault;
};

// The connection code wired to fake components and a settings store in a temporary folder. A test
// may replace makeCom before the first link check to run over another component.
struct ConnectionRig {
    ConnectionRig()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        controller.setSettingsRead([this] {
            ++setdataReads;
            panelsAtRead.append(view.linkCheckStates.value(view.linkCheckStates.size() - 1));
        });
        controller.setProgressCallback([this](const LinkCheck::Probe &p) {
            probes << QStringLiteral("%1/%2/%3/%4")
                          .arg(p.port, p.speed)
                          .arg(p.protocol)
                          .arg(p.station);
        });
    }

    // Stores the seven communication values under the first key.
    void storeConditions(const QString &port, const QString &speed, const QString &dataBits,
                         const QString &stopBits, const QString &parity, const QString &station,
                         qint16 protocol)
    {
        SessionState values;
        values.portName = port;
        values.speedText = speed;
        values.dataBitsText = dataBits;
        values.stopBitsText = stopBits;
        values.parityText = parity;
        values.stationAddress = station;
        values.protocolIndex = protocol;
        store.storeCommConditions(values);
    }
    QStringList stored() const
    {
        QStringList values;
        for (const char *name :
             {"Port", "Speed", "Databit", "Stopbit", "Parity", "strAdr", "Protocol"})
            values << store.storedValue(false, QLatin1String(name));
        return values;
    }
    // Answers a user-protocol read only on the given port, speed, framing and station.
    void controllerAt(const QString &port, const QString &speed, FrameMode mode, int station)
    {
        script->responder = [=](const FakeCom::Request &r) -> QString {
            if (line->port != port || line->speed != speed || r.frameMode != mode)
                return QString();
            if (mode == FrameMode::Ravtocol)
                return r.station.toInt() == station ? FakeCom::ravtocolRead(station, 1) : QString();
            return r.station.toInt(nullptr, 16) == station ? FakeCom::modbusRead(station, 1)
                                                           : QString();
        };
    }

    QTemporaryDir dir;
    std::shared_ptr<FakeCom::Script> script = std::make_shared<FakeCom::Script>();
    std::shared_ptr<PortAwareCom::Line> line = std::make_shared<PortAwareCom::Line>();
    CommComponentFactory makeCom = [this] { return std::make_unique<PortAwareCom>(script, line); };
    SettingsStore store{QSettings::IniFormat};
    FakeOperator op;
    ConnectionView view;
    CoreSession core{{op, view, store, dir.path() + QStringLiteral("/Journal")},
                     SessionState(),
                     [this] { return makeCom(); }};
    SessionState &shared = core.shared;
    const SessionContext &context = core.context;
    ComLink &link = core.link;
    RequestLayer &request = core.request;
    ConnectionController &controller = core.connection;
    int setdataReads = 0;
    // The link check panel's state while each of those reads ran.
    QList<LinkCheckState> panelsAtRead;
    QStringList probes; // "COM3/19200/2/37"
};
