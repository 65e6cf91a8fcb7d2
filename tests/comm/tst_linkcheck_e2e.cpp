#include "app/ConnectionController.h"
#include "app/ZN8P_INC.h"
#include "comm/Checksums.h"
#include "comm/ComLink.h"
#include "comm/RequestLayer.h"
#include "comm/SerialZN8PCom.h"
#include "comm/SettingsStore.h"
#include "polling/VendorFrameReads.h"
#include "tests/support/ConnectionRig.h"
#include "tests/support/Pty.h"
#include "tests/support/ScaledTimeoutCom.h"

#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace
{

// A request is complete at its terminator; an RTU request (binary) after its eight bytes.
bool requestEnd(const QByteArray &bytes)
{
    const char first = bytes.at(0);
    if (first == ':' || first == '@' || first == '\x02')
        return bytes.endsWith('\n') || bytes.endsWith('\r') || bytes.endsWith('\x03');
    return bytes.size() >= 8;
}

QByteArray modbusAsciiReply(int station)
{
    const QByteArray body = Checksums::hex2(quint8(station)) + "03020001";
    return ':' + body + Checksums::hex2(Checksums::lrc(QByteArray::fromHex(body))) + "\r\n";
}

QByteArray ravtocolReply(int station)
{
    const QByteArray body = '@' + QByteArray::number(station).rightJustified(2, '0') + "$0100";
    return body + Checksums::hex2(Checksums::ravtocolBcc(body)) + '\r';
}

// The connection code over the real serial component. COM1 to COM8 map to devices that do not
// exist unless a test puts a pseudo-terminal in their place.
struct PtyRig {
    explicit PtyRig(double timeoutFactor)
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        for (int n = 1; n <= 8; ++n)
            mapPort(n, dir.filePath(QStringLiteral("absent%1").arg(n)));
        link = std::make_unique<ComLink>(ScaledTimeoutCom::factory(
            [this] { return std::make_unique<SerialZN8PCom>(PortNames(store.portMap(inc))); },
            timeoutFactor));
        request = std::make_unique<RequestLayer>(inc, *link);
        vendor = std::make_unique<VendorFrameReads>(inc, *request, *link, op, view);
        controller =
            std::make_unique<ConnectionController>(inc, *link, *request, store, op, view, *vendor);
        controller->setProgressCallback([this](const LinkCheck::Probe &p) {
            probes << QStringLiteral("%1/%2/%3/%4")
                          .arg(p.port, p.speed)
                          .arg(p.protocol)
                          .arg(p.station);
        });
    }
    ~PtyRig()
    {
        if (peer)
            peer->stop();
        if (slaveFd >= 0)
            ::close(slaveFd);
    }
    void mapPort(int n, const QString &device)
    {
        store.writeValue(inc, QStringLiteral("PortMap/COM%1").arg(n), device);
    }
    // A pseudo-terminal on COMn, answered by responder; the responder may ask lineSpeed().
    void controllerOn(int n, PtyPeer::Responder responder)
    {
        mapPort(n, pty.slavePath());
        // Held open to read the line settings the component gives the device.
        slaveFd = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        peer = std::make_unique<PtyPeer>(pty, requestEnd, std::move(responder));
    }
    speed_t lineSpeed() const
    {
        termios tio{};
        return ::tcgetattr(slaveFd, &tio) == 0 ? cfgetospeed(&tio) : B0;
    }
    void storeConditions(const QString &port, const QString &speed, const QString &station,
                         qint16 protocol)
    {
        ZN8P_INC values;
        values.portName = port;
        values.speedText = speed;
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

    QTemporaryDir dir;
    ZN8P_INC inc;
    SettingsStore store{QSettings::IniFormat};
    FakeOperator op;
    ConnectionView view;
    std::unique_ptr<ComLink> link;
    std::unique_ptr<RequestLayer> request;
    std::unique_ptr<VendorFrameReads> vendor;
    std::unique_ptr<ConnectionController> controller;
    Pty pty;
    int slaveFd = -1;
    std::unique_ptr<PtyPeer> peer;
    QStringList probes;
};

} // namespace

class TestLinkCheckE2E : public QObject
{
    Q_OBJECT

private slots:
    void storedConditionsMatch();
    void shortSearchAtRealTimeout();
    void searchFindsRavtocolController();
    void cancelDuringSearch();
    void noPortAtAll();
    void confirmedConditionsUnanswered();
};

void TestLinkCheckE2E::storedConditionsMatch()
{
    PtyRig rig(1.0);
    rig.storeConditions("COM3", "9600", "01", ModbusAscii);
    rig.controllerOn(3, [](const QByteArray &request) {
        return request.startsWith(":01") ? PeerAnswer::reply(modbusAsciiReply(1))
                                         : PeerAnswer::silence();
    });

    rig.controller->startupLinkCheck();

    QVERIFY(rig.inc.linkVerified);
    QVERIFY(rig.op.shown.isEmpty());
    QCOMPARE(rig.view.commInfo,
             (QStringList{"COM3", "9600", "7, EVEN", "1", "01", "Modbus ASCII"}));
    QCOMPARE(rig.probes.size(), 1);
}

void TestLinkCheckE2E::shortSearchAtRealTimeout()
{
    PtyRig rig(1.0);
    rig.storeConditions("COM1", "9600", "01", ModbusAscii);
    rig.controllerOn(2, [](const QByteArray &request) {
        return request.startsWith(":03") ? PeerAnswer::reply(modbusAsciiReply(3))
                                         : PeerAnswer::silence();
    });
    rig.op.answers << true;

    rig.controller->startupLinkCheck();

    QCOMPARE(rig.probes, (QStringList{"COM2/9600/0/01", "COM2/9600/0/02", "COM2/9600/0/03"}));
    QVERIFY(rig.inc.linkVerified);
    QCOMPARE(rig.stored(), (QStringList{"COM2", "9600", "7", "1", "EVEN", "03", "0"}));
}

void TestLinkCheckE2E::searchFindsRavtocolController()
{
    PtyRig rig(0.15);
    rig.controllerOn(3, [&rig](const QByteArray &request) {
        return request.startsWith("@37RD") && rig.lineSpeed() == B19200
                   ? PeerAnswer::reply(ravtocolReply(37))
                   : PeerAnswer::silence();
    });
    rig.op.answers << true;

    rig.controller->startupLinkCheck();

    QCOMPARE(rig.probes.size(), 3 * 95 + 2 * 95 + 37);
    QCOMPARE(rig.probes.at(0), QStringLiteral("COM3/9600/0/01"));
    QCOMPARE(rig.probes.at(95), QStringLiteral("COM3/9600/1/01"));
    QCOMPARE(rig.probes.at(3 * 95), QStringLiteral("COM3/19200/0/01"));
    QCOMPARE(rig.probes.last(), QStringLiteral("COM3/19200/2/37"));
    QVERIFY(rig.inc.linkVerified);
    QCOMPARE(rig.stored(), (QStringList{"COM3", "19200", "7", "1", "EVEN", "37", "2"}));
    QCOMPARE(rig.view.commInfo.last(), QStringLiteral("Ravtocol"));
    QVERIFY(rig.op.messages().isEmpty());
}

void TestLinkCheckE2E::cancelDuringSearch()
{
    PtyRig rig(0.15);
    rig.controllerOn(3, [](const QByteArray &) { return PeerAnswer::silence(); });
    rig.op.answers << true;
    rig.op.onProcessEvents = [&rig] {
        if (rig.probes.size() == 5)
            rig.controller->cancelSearch();
    };

    rig.controller->startupLinkCheck();

    QCOMPARE(rig.probes.size(), 5);
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{83}});
    QVERIFY(!rig.inc.linkVerified);
    QVERIFY(!rig.view.searchPanelsVisible);
}

void TestLinkCheckE2E::noPortAtAll()
{
    PtyRig rig(1.0);
    rig.op.answers << false;

    rig.controller->startupLinkCheck();

    QCOMPARE(rig.op.shown.at(0).ids, QList<int>{85});
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{260}});
    QCOMPARE(rig.view.closeRequests, 1);
    QVERIFY(!rig.inc.linkVerified);
}

void TestLinkCheckE2E::confirmedConditionsUnanswered()
{
    PtyRig rig(0.15);
    rig.controllerOn(4, [](const QByteArray &) { return PeerAnswer::silence(); });
    rig.storeConditions("COM4", "19200", "12", ModbusRtu);
    QVERIFY(rig.controller->prepareCommSettings());
    rig.inc.commSettingsConfirmed = true;

    rig.controller->commSettingsClosed();

    QCOMPARE(rig.probes, QStringList{"COM4/19200/1/12"});
    QCOMPARE(rig.op.messages(), (QList<QList<int>>{{451, 270}}));
    QVERIFY(!rig.inc.linkVerified);
    QVERIFY(!rig.inc.commSettingsConfirmed);
    QCOMPARE(rig.view.closeRequests, 0);
}

QTEST_GUILESS_MAIN(TestLinkCheckE2E)
#include "tst_linkcheck_e2e.moc"
