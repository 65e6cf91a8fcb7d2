#include "base/MessageTable.h"
#include "base/ZN8P_INC.h"
#include "comm/DataWord.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "comm/SerialZN8PCom.h"
#include "comm/SettingsStore.h"
#include "sim/SimulatedController.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/RecordingMainView.h"
#include "transfer/CoreSession.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <functional>

namespace
{

// The serial component, noting each request as "command address data" and letting a test act
// before a given request goes out.
class RecordingCom : public SerialZN8PCom
{
public:
    RecordingCom(PortNames names, QStringList &log, std::function<void()> &beforeSend)
        : SerialZN8PCom(std::move(names)), m_log(log), m_beforeSend(beforeSend)
    {
    }
    QString SendRequest(const QString &station, const QString &subAddress, const QString &command,
                        const QString &address, const QString &data, int count,
                        const QString &spare) override
    {
        m_log << QStringList{command, address, data}.join(QLatin1Char(' ')).trimmed();
        if (m_beforeSend)
            m_beforeSend();
        return SerialZN8PCom::SendRequest(station, subAddress, command, address, data, count,
                                          spare);
    }

private:
    QStringList &m_log;
    std::function<void()> &m_beforeSend;
};

// Codes whose value is of the items' own choosing in this test; the others shape which items
// exist (input type, scaling, alarm types, auto-tuning, operating mode, contact function).
const QList<int> ChangedCodes = {11, 13, 14, 15, 16, 17, 18, 19, 20, 21, 23, 24, 28,
                                 29, 30, 31, 33, 34, 35, 38, 39, 40, 41, 42, 43, 47,
                                 48, 50, 52, 53, 54, 55, 56, 57, 58, 59, 60, 63};
constexpr int AtBiasCode = 51;
constexpr qint16 AtBiasViaVendorFrame = 60; // 6.0 degrees on a tenth-degree input

// The upload and download engines over the real component and a simulated controller with every
// option, a tenth-degree input and a mode register below 266 (AT bias above 5.0 degrees only
// through the vendor frame).
struct TransferRig {
    explicit TransferRig(qint16 protocol)
    {
        SimulatedController::Options options;
        options.line.protocol = protocol == ModbusAscii ? WireProtocol::ModbusAscii
                                : protocol == ModbusRtu ? WireProtocol::ModbusRtu
                                                        : WireProtocol::Ravtocol;
        options.line.speed = 19200;
        if (protocol == ModbusRtu) {
            options.line.dataBits = 8;
            options.line.parity = 'N';
        }
        options.model.alarm2 = true;
        options.model.heatCool = true;
        options.model.heaterBreak = 3;
        options.model.contactInput = true;
        options.model.serialComm = false;
        options.inputType = 1;
        options.modeValue = 200;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        sim = std::make_unique<SimulatedController>(options);
        if (!sim->start())
            qFatal("simulator: %s", qPrintable(sim->errorString()));
        sim->setValue(0x0023, 7); // alarm 1 with standby
        sim->setValue(0x0024, 2);

        inc.protocolIndex = inc.savedProtocolIndex = protocol;
        RegisterMap::fillRegisterTable(inc);
        RegisterMap::fillVendorItemTable(inc);
        if (!core.link.renew().OpenPort())
            qFatal("the pseudo-terminal does not open");
        // The engines alone: the online start read that follows a download in the window is
        // tested on its own.
        download.setReadBack({});
    }
    void readStatus()
    {
        for (int code : {8, 7, 4})
            ParameterTable::ReadDataSet(inc, core.link.com(),
                                        core.request.read(inc.registerTable.at(code)), code);
    }
    // The controller's value of code: its register, or its vendor item.
    qint16 held(int code)
    {
        const int item = ParameterTable::vendorItemIndex(code);
        if (code >= 58)
            return sim->item(quint16(inc.vendorItemTable.at(item).toUInt(nullptr, 16)));
        return sim->value(quint16(RegisterMap::modbusAddress(code).toUInt(nullptr, 16)));
    }
    std::optional<std::pair<int, int>> limits(int code)
    {
        std::optional<std::pair<int, int>> result;
        const QString address = code >= 58
                                    ? inc.vendorItemTable.at(ParameterTable::vendorItemIndex(code))
                                    : RegisterMap::modbusAddress(code);
        sim->withCore([&](ControllerCore &core) {
            const quint16 a = quint16(address.toUInt(nullptr, 16));
            result = code >= 58 ? core.registers().itemLimits(a) : core.registers().limits(a);
        });
        return result;
    }
    // The user-protocol writes the controller received, as "code=value" (the vendor-frame key
    // excluded), with "refused" appended to those it did not take.
    QStringList writesReceived() const
    {
        QStringList writes;
        for (const LoggedRequest &r : sim->requestLog()) {
            if (r.vendor || (r.command != "06" && r.command != "WD") || r.address == 0)
                continue;
            int code = 11;
            while (code < 65 && RegisterMap::modbusAddress(code).toUInt(nullptr, 16) != r.address)
                ++code;
            writes << QStringLiteral("%1=%2%3")
                          .arg(code)
                          .arg(qint16(r.data.value_or(0)))
                          .arg(r.refusal.isEmpty() ? "" : " refused");
        }
        return writes;
    }

    std::unique_ptr<SimulatedController> sim;
    QStringList log;
    std::function<void()> beforeSend;
    FakeOperator op;
    RecordingMainView view;
    QTemporaryDir dir;
    SettingsStore store{QSettings::IniFormat};
    CoreSession core{{op, view, store, dir.path()}, ZN8P_INC(), [this] {
                         auto com = std::make_unique<RecordingCom>(
                             PortNames({{QStringLiteral("COM1"), sim->slavePath()}}), log,
                             beforeSend);
                         com->setSpeed(QStringLiteral("19200"));
                         if (inc.protocolIndex == ModbusRtu) {
                             com->setDataBits(QStringLiteral("8"));
                             com->setParity(QStringLiteral("NONE"));
                         }
                         return com;
                     }};
    ZN8P_INC &inc = core.inc;
    ParameterUpload &upload = core.upload;
    ParameterDownload &download = core.transfer.download();
};

} // namespace

class TestTransferE2e : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void downloadThenUpload_data();
    void downloadThenUpload();
    void keysOperatedMidTransfer();
};

void TestTransferE2e::downloadThenUpload_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::newRow("Modbus ASCII") << qint16(ModbusAscii);
    QTest::newRow("Modbus RTU") << qint16(ModbusRtu);
    QTest::newRow("Ravtocol") << qint16(Ravtocol);
}

void TestTransferE2e::downloadThenUpload()
{
    QFETCH(qint16, protocol);
    TransferRig rig(protocol);
    rig.readStatus();
    QVERIFY(rig.upload.ReadPara_setflg2());

    // A full set: every item of the chosen codes one step away from what the controller holds.
    for (int code : ChangedCodes) {
        const auto range = rig.limits(code);
        QVERIFY2(range, qPrintable(QString::number(code)));
        const qint16 v = rig.inc.setting(code);
        rig.inc.setting(code) = qint16(v + 1 <= range->second ? v + 1 : v - 1);
    }
    rig.inc.setting(AtBiasCode) = AtBiasViaVendorFrame;
    rig.inc.downloadValues = rig.inc.settingValues;
    const ParameterDownload::Values sent = rig.inc.downloadValues;
    rig.inc.downloadRequested = true;
    rig.log.clear();
    rig.sim->clearRequestLog();

    QCOMPARE(rig.download.DownloadCopy(), ParameterDownload::Result::Completed);

    // The controller holds every value, the vendor-frame items and the AT bias included.
    const QList<int> checked = ChangedCodes + QList<int>{AtBiasCode};
    for (int code : checked)
        QVERIFY2(rig.held(code) == sent.at(code - 10), qPrintable(QString::number(code)));

    // It received the setting flag first ("0100" on the wire under Ravtocol), then every register
    // write of the chain in its order, each accepted with the value meant (so byte-swapped under
    // Ravtocol); none for the decimal point place (sensor input), the OUT/OFF key function's
    // partner row (auto/manual, not this controller's mode), the AT bias (vendor frame here) or
    // auto-tuning (unchanged).
    QCOMPARE(rig.log.first(), protocol == Ravtocol ? "WD 0032400324 0100" : "06 0070 0001");
    QStringList expected = {"65=1"};
    for (int code : ParameterDownload::Chain) {
        if (code < 58 && !QList<int>{11, 27, 45, 51, 12}.contains(code))
            expected << QStringLiteral("%1=%2").arg(code).arg(sent.at(code - 10));
    }
    QCOMPARE(rig.writesReceived(), expected);
    // The vendor-frame writes were all taken; the abnormal output item (DC inputs) was not asked.
    for (const LoggedRequest &r : rig.sim->requestLog()) {
        QVERIFY(r.address != 0xFC94);
        QVERIFY2(r.refusal.isEmpty(), qPrintable(r.text()));
    }

    // The upload gives every value back. (The contact input function and auto-tuning keep their
    // values: they decide which vendor-frame items the upload reads.)
    for (int code : checked)
        rig.inc.setting(code) = -999;
    rig.inc.uploadRequested = true;
    QVERIFY(rig.upload.ReadPara_setflg());
    for (int code : checked)
        QVERIFY2(rig.inc.setting(code) == sent.at(code - 10), qPrintable(QString::number(code)));

    // Auto-tuning switched on goes last; while it runs the display's data are not sent.
    rig.inc.downloadValues = rig.inc.settingValues;
    rig.inc.downloadValues.at(12 - 10) = 1;
    rig.log.clear();
    QCOMPARE(rig.download.DownloadCopy(), ParameterDownload::Result::Completed);
    // The last write but the vendor frame's keys; the read-back of every item follows it.
    const QStringList writes =
        rig.log.filter(QRegularExpression("^(06 (?!0000 4C1A)|WD (?!0010000100 1A4C))"));
    QCOMPARE(writes.last(), protocol == Ravtocol ? "WD 0010600106 0100" : "06 0003 0001");
    QVERIFY(rig.inc.unconfirmedWrites.isEmpty());
    rig.readStatus();
    QVERIFY(quint16(rig.inc.statusWord()) & 0x0800);
    rig.log.clear();
    QCOMPARE(rig.download.DownloadSettings(), ParameterDownload::Result::AutoTuningRunning);
    QVERIFY(rig.log.isEmpty());
    QCOMPARE(rig.op.messages().last(), (QList<int>{503, 504}));
}

void TestTransferE2e::keysOperatedMidTransfer()
{
    TransferRig rig(ModbusAscii);
    rig.readStatus();
    QVERIFY(rig.upload.ReadPara_setflg2());

    // Keys operated from the 16th request on, the write of the proportional band (after the main
    // set value's vendor-frame exchange): the download stops there with 292.
    rig.inc.downloadValues = rig.inc.settingValues;
    rig.inc.downloadRequested = true;
    rig.inc.settingDataValid = false;
    rig.log.clear();
    rig.beforeSend = [&] {
        if (rig.log.size() == 16)
            rig.sim->operateKeys(3000);
    };
    QCOMPARE(rig.download.DownloadCopy(), ParameterDownload::Result::KeysOperated);
    QCOMPARE(rig.log.at(15), QStringLiteral("06 0004 ") + DataWord::toHex(rig.inc.setting(13)));
    // Then only reads: the items written are read back and found as sent, the one refused and
    // those not reached stay marked.
    QVERIFY(rig.log.mid(16).filter(QRegularExpression("^06 (?!0000)")).isEmpty());
    QVERIFY(!rig.inc.unconfirmedWrites.contains(49) && !rig.inc.unconfirmedWrites.contains(11));
    QVERIFY(rig.inc.unconfirmedWrites.contains(13) && rig.inc.unconfirmedWrites.contains(57));
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{292}});
    QVERIFY(rig.op.texts.value(292).contains("stopped after 6 of "));
    QVERIFY(!rig.view.progressVisible);
    QCOMPARE(rig.view.progressValues.last(), 6);
    QVERIFY(!rig.inc.settingDataValid && rig.inc.downloadRequested);

    // Still operated: a menu upload ends at its first request with 291, a status-check upload
    // silently.
    for (const bool menu : {true, false}) {
        rig.log.clear();
        rig.op.shown.clear();
        rig.inc.uploadRequested = menu;
        QVERIFY(!rig.upload.ReadPara_setflg());
        QCOMPARE(rig.log.size(), 1);
        QCOMPARE(rig.op.messages(), menu ? QList<QList<int>>{{291}} : QList<QList<int>>{});
    }

    // Keys operated when the upload reaches the vendor-frame items: the key write is refused and
    // shown until the keys are released, then the upload goes on to the end.
    rig.sim->operateKeys(0);
    rig.beforeSend = [&] {
        if (rig.log.last().startsWith("03 0044"))
            rig.sim->operateKeys(400);
    };
    rig.op.shown.clear();
    rig.inc.uploadRequested = true;
    QVERIFY(rig.upload.ReadPara_setflg());
    QVERIFY(rig.op.messages().size() >= 2);
    QCOMPARE(rig.op.messages().first(), (QList<int>{455, 456}));
    QVERIFY(!rig.op.wasShown(715));
    QVERIFY(rig.inc.settingDataValid);
}

QTEST_GUILESS_MAIN(TestTransferE2e)
#include "tst_transfer_e2e.moc"
