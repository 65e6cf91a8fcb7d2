#include "base/MessageTable.h"
#include "comm/NetworkAddress.h"
#include "comm/PortFault.h"
#include "comm/SerialCommComponent.h"
#include "comm/TelnetCodec.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <atomic>
#include <future>
#include <thread>

// The telnet layer and the URLs of a line behind a serial server, and what the program makes of
// a server that takes the COM-port option but not the speed asked.
class TestNetworkLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void telnetDecoding_data();
    void telnetDecoding();
    void escapingRoundTrip();
    void addresses_data();
    void addresses();
    void refusedSpeed();
};

void TestNetworkLine::telnetDecoding_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("commands");
    // ser2net's greeting, then a Modbus ASCII reply.
    QTest::newRow("greeting") << QByteArray::fromHex("fffb03fffd03fffb01fffd2c") + ":0103\r\n"
                              << QByteArray(":0103\r\n") << 4;
    QTest::newRow("escaped FF") << QByteArray::fromHex("01ffff02") << QByteArray::fromHex("01ff02")
                                << 0;
    QTest::newRow("line conditions answer")
        << QByteArray::fromHex("fffa2c6500002580fff0") + "A" << QByteArray("A") << 1;
    QTest::newRow("FF in a subnegotiation")
        << QByteArray::fromHex("fffa2c65ffff00fff041") << QByteArray("A") << 1;
    QTest::newRow("NOP between data") << QByteArray::fromHex("41fff142") << QByteArray("AB") << 0;
}

// However the stream is cut into reads, the same line bytes and commands come out.
void TestNetworkLine::telnetDecoding()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, data);
    QFETCH(int, commands);
    for (int cut = 0; cut <= stream.size(); ++cut) {
        TelnetCodec codec;
        QByteArray decoded = codec.decode(stream.left(cut));
        decoded += codec.decode(stream.mid(cut));
        QCOMPARE(decoded, data);
        QCOMPARE(codec.takeCommands().size(), commands);
    }
}

void TestNetworkLine::escapingRoundTrip()
{
    QByteArray all;
    for (int byte = 0; byte < 256; ++byte)
        all.append(char(byte));
    all += QByteArray(3, char(0xFF));
    TelnetCodec codec;
    QCOMPARE(codec.decode(TelnetCodec::escape(all)), all);
    const QByteArray payload = QByteArray::fromHex("01ff00");
    codec.decode(TelnetCodec::subnegotiation(44, payload));
    const QList<TelnetCodec::Command> commands = codec.takeCommands();
    QCOMPARE(commands.size(), 1);
    QCOMPARE(commands.first().payload, payload);
}

void TestNetworkLine::addresses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("url"); // empty: not taken
    QTest::newRow("raw") << "tcp://oven-line-gw:4001"
                         << "tcp://oven-line-gw:4001";
    QTest::newRow("rfc2217, upper case") << "RFC2217://10.0.0.7:2217"
                                         << "rfc2217://10.0.0.7:2217";
    QTest::newRow("IPv6") << "rfc2217://[fd00::5]:4001"
                          << "rfc2217://[fd00::5]:4001";
    QTest::newRow("no port") << "tcp://gw"
                             << "";
    QTest::newRow("port 0") << "tcp://gw:0"
                            << "";
    QTest::newRow("port too big") << "tcp://gw:65536"
                                  << "";
    QTest::newRow("path") << "tcp://gw:4001/x"
                          << "";
    QTest::newRow("device") << "/dev/ttyUSB0"
                            << "";
}

void TestNetworkLine::addresses()
{
    QFETCH(QString, text);
    QFETCH(QString, url);
    const std::optional<NetworkAddress> address = NetworkAddress::parse(text);
    QCOMPARE(address ? address->url() : QString(), url);
}

// A server that answers the COM-port option but sets its line to 9600 bit/s whatever it is asked:
// the port does not open, and the message names the speed refused.
void TestNetworkLine::refusedSpeed()
{
    std::promise<quint16> listening;
    std::atomic<bool> stop{false};
    std::thread server([&] {
        QTcpServer tcp;
        tcp.listen(QHostAddress::LocalHost);
        listening.set_value(tcp.serverPort());
        if (!tcp.waitForNewConnection(5000))
            return;
        std::unique_ptr<QTcpSocket> client(tcp.nextPendingConnection());
        TelnetCodec codec;
        while (!stop && client->state() == QAbstractSocket::ConnectedState) {
            client->waitForReadyRead(50);
            codec.decode(client->readAll());
            for (const TelnetCodec::Command &command : codec.takeCommands()) {
                if (command.verb == TelnetCodec::WILL && command.option == 44)
                    client->write(TelnetCodec::negotiation(TelnetCodec::DO, 44));
                if (command.verb != TelnetCodec::SB || command.payload.isEmpty())
                    continue;
                QByteArray answer = command.payload;
                answer[0] = char(quint8(answer[0]) + 100);
                if (command.payload.at(0) == 1)
                    answer = QByteArray::fromHex("6500002580"); // 9600
                client->write(TelnetCodec::subnegotiation(44, answer));
            }
            client->waitForBytesWritten(50);
        }
    });
    const quint16 port = listening.get_future().get();
    SerialCommComponent com(
        PortNames({{"COM5", QStringLiteral("rfc2217://127.0.0.1:%1").arg(port)}}));
    com.setPortName("COM5");
    com.setSpeed("19200");
    const bool opened = com.openPort();
    stop = true;
    server.join();
    QVERIFY(!opened);
    const PortOpenFault fault = com.lastOpenFault();
    QCOMPARE(fault.fault, PortFault::LineRefused);
    QCOMPARE(PortFaults::text("COM5", fault),
             QStringLiteral("COM5: the serial server 127.0.0.1:%1 refused 19200 bit/s. Choose line "
                            "conditions the server's port supports.")
                 .arg(port));
}

QTEST_GUILESS_MAIN(TestNetworkLine)
#include "tst_networkline.moc"
