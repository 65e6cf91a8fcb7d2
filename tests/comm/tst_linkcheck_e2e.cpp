#include "comm/Checksums.h"
#include "comm/SerialZN8PCom.h"
#include "tests/support/ConnectionRig.h"
#include "tests/support/Pty.h"

#include <QtTest>

namespace
{

QByteArray modbusAsciiReply(int station)
{
    const QByteArray body = Checksums::hex2(quint8(station)) + "03020001";
    return ':' + body + Checksums::hex2(Checksums::lrc(QByteArray::fromHex(body))) + "\r\n";
}

// The connection code over the real serial component at its real reply timeout. COM1 to COM8 map
// to devices that do not exist, except the one given a pseudo-terminal answering only station.
struct PtyRig : ConnectionRig {
    PtyRig(int port, int station)
    {
        for (int n = 1; n <= 8; ++n)
            store.writeValue(inc, QStringLiteral("PortMap/COM%1").arg(n),
                             n == port ? pty.slavePath()
                                       : dir.filePath(QStringLiteral("absent%1").arg(n)));
        makeCom = [this] { return std::make_unique<SerialZN8PCom>(PortNames(store.portMap(inc))); };
        const QByteArray prefix = ':' + Checksums::hex2(quint8(station));
        peer =
            std::make_unique<PtyPeer>(pty, PtyPeer::endsWith('\n'), [=](const QByteArray &request) {
                return request.startsWith(prefix) ? PeerAnswer::reply(modbusAsciiReply(station))
                                                  : PeerAnswer::silence();
            });
    }

    Pty pty;
    std::unique_ptr<PtyPeer> peer;
};

} // namespace

class TestLinkCheckE2E : public QObject
{
    Q_OBJECT

private slots:
    void shortSearchAtRealTimeout();
};

// Unanswered probes wait out the whole timeout before the search moves on.
void TestLinkCheckE2E::shortSearchAtRealTimeout()
{
    PtyRig rig(2, 3);
    rig.storeConditions("COM1", "9600", "7", "1", "EVEN", "01", ModbusAscii);
    rig.op.answers << true;

    rig.controller.startupLinkCheck();

    QCOMPARE(rig.probes, (QStringList{"COM2/9600/0/01", "COM2/9600/0/02", "COM2/9600/0/03"}));
    QVERIFY(rig.inc.linkVerified);
    QCOMPARE(rig.stored(), (QStringList{"COM2", "9600", "7", "1", "EVEN", "03", "0"}));
}

QTEST_GUILESS_MAIN(TestLinkCheckE2E)
#include "tst_linkcheck_e2e.moc"
