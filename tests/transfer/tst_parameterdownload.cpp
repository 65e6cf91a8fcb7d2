#include "base/MessageTable.h"
#include "comm/DataWord.h"
#include "comm/RegisterMap.h"
#include "display/MainDisplayModel.h"
#include "tests/support/CoreRig.h"
#include "transfer/ControllerComparison.h"
#include "transfer/ParameterDownload.h"
#include "transfer/SettingRanges.h"
#include "transfer/VendorFrameWrites.h"

#include <QtTest>

namespace
{

constexpr qint16 AllOptions = 0x01 | 0x04 | 0x10 | 0x20 | 0x40; // no serial communication
constexpr qint16 DcCurrentOutput = 0x10;

struct DownloadRig : CoreRig {
    explicit DownloadRig(qint16 protocol) : CoreRig(protocol)
    {
        // Every item gets its own code as value, so that the wire shows which one went where.
        for (int code = 11; code <= 63; ++code)
            set(code, qint16(code));
        controller.vendorItems["FF13"] = 0; // the main set value is in use
    }
    // Every request: "W 0044=001F", "R 0000", vendor frame "q FC30=000B", "` FF13", "P 0000=0000".
    QStringList wire() const
    {
        QStringList list;
        for (const FakeCom::Request &r : script->requests) {
            if (r.frameMode != FrameMode::Vendor) {
                const bool read = r.command == "03" || r.command == "RD";
                const QString address = ScriptedController::modbusAddress(r);
                list << (read ? "R " + address : "W " + address + "=" + r.data);
            } else {
                list << r.command + " " + r.address + (r.data.isEmpty() ? "" : "=" + r.data);
            }
        }
        return list;
    }
    // The requests before the read-back: the setting flag and the chain.
    QStringList wireWrites() const
    {
        QStringList list = wire();
        const auto firstRead = std::find_if(list.cbegin(), list.cend(), [](const QString &line) {
            return line.startsWith("R ") && !line.startsWith("R 0000");
        });
        list.erase(firstRead, list.cend());
        return list;
    }
    qint16 value(int code) const { return shared.downloadValues.at(code - 10); }
    // The display's value and its copy for the Download menu, as the menu leaves them.
    void set(int code, qint16 value)
    {
        shared.settingValues.at(code - 10) = value;
        shared.downloadValues.at(code - 10) = value;
    }

    VendorFrameWrites &writes = core.vendorWrites;
    ParameterDownload &download = core.download;
};

// The requests a download should send, built step by step.
struct Wire {
    Wire(qint16 protocol, DownloadRig &rig) : protocol(protocol), rig(rig) {}

    Wire &direct(std::initializer_list<int> codes)
    {
        for (int code : codes)
            list << "W " + RegisterMap::modbusAddress(code) + "=" +
                        DataWord::dataField(rig.value(code), protocol);
        return *this;
    }
    Wire &read(int code)
    {
        list << "R " + RegisterMap::modbusAddress(code);
        return *this;
    }
    // One vendor-frame exchange writing item and copy, with the memory number read first for
    // the set values and the alarm standby items re-armed after.
    Wire &vendor(int code, const QString &item, const QString &copy, bool memory,
                 const QStringList &standby = {})
    {
        list << "W 0000=" + (protocol == Ravtocol ? QString("1A4C") : QString("4C1A"));
        if (memory)
            list << QString(QChar(96)) + " FF13";
        const QString data = DataWord::toHex(rig.value(code));
        list << twice("q " + item + "=" + data) << twice("r " + copy + "=" + data);
        for (const QString &s : standby)
            list << twice("q " + s + "=0000");
        list << "P 0000=0000";
        return *this;
    }
    static QStringList twice(const QString &s) { return {s, s}; }

    qint16 protocol;
    DownloadRig &rig;
    QStringList list;
};

} // namespace

class TestParameterDownload : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void chainWithEveryOption();
    void chainWithoutOptions();
    void keysOperatedStopDownload_data();
    void keysOperatedStopDownload();
    void refusedBeforeTheChain();
    void lineLostPartWay();
    void compareWithController();
};

void TestParameterDownload::chainWithEveryOption()
{
    // Ravtocol: the setting flag and every data word low byte first, the vendor frame's not.
    const qint16 protocol = Ravtocol;
    DownloadRig rig(protocol);
    rig.shared.monitorValues[7] = AllOptions;
    rig.shared.monitorValues[8] = DcCurrentOutput;
    rig.set(49, 31); // DC input: decimal point place, no AT bias
    rig.set(36, 7);  // alarm 1 with standby
    rig.set(37, 1);
    rig.set(61, 0); // set values 2 to 4 selectable
    rig.set(12, 1); // start auto-tuning
    rig.shared.settingsFromFile = true;
    rig.shared.linkLostSinceRead = true;

    QCOMPARE(rig.download.downloadPreparedCopy(), ParameterDownload::Result::Completed);
    // The controller holds the file's values now, each read back: the read after the download
    // need not read them all again.
    QVERIFY(!rig.shared.settingsFromFile && !rig.shared.linkLostSinceRead);

    Wire expected(protocol, rig);
    expected.list << "W 0070=0100";
    expected.direct({49, 25, 26, 36, 37})
        .vendor(11, "FC30", "001C", true, {"FF1A"})
        .direct({13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24})
        .direct({27, 28, 29, 30, 31, 32, 33, 34, 35})
        .direct({38, 39, 40, 41, 42, 43, 44, 47, 48, 50, 52, 53, 54, 55, 56, 57})
        .vendor(61, "FC92", "004D", true)
        .vendor(58, "FC32", "001D", true)
        .vendor(59, "FC34", "001E", true)
        .vendor(60, "FC36", "001F", true)
        .vendor(62, "FC94", "004E", false)
        .vendor(63, "FC96", "004F", false)
        .direct({12});
    QCOMPARE(rig.wireWrites(), expected.list);
    // Every item written was read back and found as sent: nothing is marked.
    QVERIFY(rig.wire().size() > expected.list.size() + 30);
    QCOMPARE(rig.shared.unconfirmedWrites.keys(), QList<int>{});
    QVERIFY(rig.op.shown.isEmpty());
    QVERIFY(rig.op.panels.value(2).startsWith("Download completed at "));
    QCOMPARE(rig.controller.registers.value("0044"), qint16(31));
    QCOMPARE(rig.controller.vendorItems.value("FC36"), qint16(60));

    QCOMPARE(rig.view.progressShown,
             (QList<QPair<bool, int>>{qMakePair(true, 501), qMakePair(false, 501)}));
    QCOMPARE(rig.view.progressValues.first(), 0);
    QCOMPARE(rig.view.progressValues.last(), 52);
    QVERIFY(rig.op.panelHistory.contains("1:Data download now."));
    QVERIFY(rig.shared.settingDataValid && !rig.shared.downloadRequested);
}

void TestParameterDownload::chainWithoutOptions()
{
    DownloadRig rig(ModbusAscii);
    rig.shared.monitorValues[4] = 0x1000; // the OUT/OFF key switches auto/manual
    rig.set(49, 1);                       // a tenth-degree sensor
    rig.set(36, 0);                       // no alarm 1
    rig.set(37, 0);
    rig.set(12, 0);  // auto-tuning stays off
    rig.set(51, 60); // 6.0 degrees: above what the register takes below 266
    rig.controller.registers["0000"] = 200;

    QCOMPARE(rig.download.downloadPreparedCopy(), ParameterDownload::Result::Completed);

    Wire expected(ModbusAscii, rig);
    expected.list << "W 0070=0001";
    expected.direct({49, 25, 26, 36})
        .vendor(11, "FC30", "001C", true)
        .direct({13, 15, 16, 17, 22, 23, 28, 29, 30, 31, 42, 43, 45, 50})
        .read(10)
        .read(10)
        .vendor(51, "FC90", "004C", false)
        .direct({52, 54, 55, 56, 57})
        .vendor(63, "FC96", "004F", false);
    QCOMPARE(rig.wireWrites(), expected.list);
    // The bars move only for the steps written.
    QCOMPARE(rig.view.progressValues.mid(1, 5), (QList<int>{1, 2, 3, 4, 6}));
    // One journal line per step written; the AT bias went through the vendor frame and its ACK
    // counts.
    const QStringList journal = rig.journalLines();
    QCOMPARE(journal.size(), rig.view.progressValues.size() - 1);
    QCOMPARE(journal.filter(" taken").size(), journal.size());
    QVERIFY(journal.contains("51 60 taken"));
}

void TestParameterDownload::keysOperatedStopDownload_data()
{
    QTest::addColumn<qint16>("protocol");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("refusedRegister");
    QTest::addColumn<bool>("stops");
    const QString modbus = FakeCom::modbusException(1, 6, 0x12);
    const QString ravtocol = FakeCom::ravtocolError(1, 63);
    QTest::newRow("Modbus, step 9") << qint16(ModbusAscii) << modbus << "0006" << true;
    QTest::newRow("Ravtocol, auto-tuning last") << qint16(Ravtocol) << ravtocol << "0003" << false;
    QTest::newRow("Modbus, auto-tuning last") << qint16(ModbusRtu) << modbus << "0003" << true;
}

void TestParameterDownload::keysOperatedStopDownload()
{
    QFETCH(qint16, protocol);
    QFETCH(QString, refusal);
    QFETCH(QString, refusedRegister);
    QFETCH(bool, stops);
    DownloadRig rig(protocol);
    rig.shared.monitorValues[7] = AllOptions;
    rig.set(12, 1);
    rig.shared.downloadRequested = true;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        return r.frameMode != FrameMode::Vendor &&
                       ScriptedController::modbusAddress(r) == refusedRegister
                   ? refusal
                   : QString();
    };
    int readBacks = 0;
    rig.download.setReadBack([&] { ++readBacks; });

    const ParameterDownload::Result result = rig.download.downloadPreparedCopy();

    QCOMPARE(result, stops ? ParameterDownload::Result::KeysOperated
                           : ParameterDownload::Result::Completed);
    QCOMPARE(rig.wireWrites().last().left(6), "W " + refusedRegister);
    // Passed over under Ravtocol, the refused start of auto-tuning is still listed as not taken.
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{stops ? 292 : 893}});
    // What the controller holds now is read back after a stop too, and the operator is told
    // how far the download got and that the controller holds a mix.
    QCOMPARE(readBacks, 1);
    QVERIFY(rig.shared.unconfirmedWrites.contains(12));
    if (stops) {
        QVERIFY(rig.op.texts.value(292).contains("The controller now holds a mix"));
        QVERIFY(rig.op.panels.value(2).startsWith("Download stopped after "));
    } else {
        QVERIFY(rig.op.texts.value(893).contains("12 Auto-tuning"));
    }
    // Stopped: frames hidden, bars where the last written step left them, the request kept.
    QVERIFY(!rig.view.progressVisible);
    QCOMPARE(rig.view.progressValues.last(), refusedRegister == "0006" ? 8 : stops ? 51 : 52);
    QCOMPARE(rig.shared.settingDataValid, !stops);
    QCOMPARE(rig.shared.downloadRequested, stops);
    // The refused step is journalled with its reason, like every step sent before it.
    const QStringList journal = rig.journalLines();
    QCOMPARE(journal.size(), rig.view.progressValues.size() - (stops ? 0 : 1));
    QCOMPARE(journal.filter(" taken").size(), journal.size() - 1);
    QCOMPARE(journal.filter(" refused keys operated").size(), 1);
    QVERIFY(journal.last().endsWith(" refused keys operated"));
}

void TestParameterDownload::refusedBeforeTheChain()
{
    // Keys operated at the setting flag: the key-operation notice and the message box, nothing
    // else.
    DownloadRig keys(ModbusAscii);
    keys.shared.downloadRequested = true;
    keys.controller.intercept = [](const FakeCom::Request &) {
        return FakeCom::modbusException(1, 6, 0x12);
    };
    QCOMPARE(keys.download.downloadDisplayedSettings(), ParameterDownload::Result::KeysOperated);
    QCOMPARE(keys.script->requests.size(), 1);
    QCOMPARE(keys.view.keyOperationNotices, 1);
    QVERIFY(keys.view.progressShown.isEmpty());
    QCOMPARE(keys.op.messages(), QList<QList<int>>{{292}});
    QVERIFY(keys.shared.downloadRequested && !keys.shared.settingDataValid);
    QVERIFY(keys.journalLines().isEmpty());
    // Nothing was sent: every item of the set is "not reached", none taken.
    QVERIFY(!keys.download.lastOutcomes().isEmpty());
    for (const ItemOutcome &item : keys.download.lastOutcomes())
        QCOMPARE(item.verdict(), ItemOutcome::Verdict::NotReached);

    // A dead line stops it after three unanswered steps instead of paying a reply timeout for
    // every item; nothing is read back, and every item not confirmed stays marked.
    DownloadRig deaf(ModbusAscii);
    deaf.controller.silent = true;
    deaf.set(12, 1);
    deaf.shared.downloadRequested = true;
    int readBacks = 0;
    deaf.download.setReadBack([&] { ++readBacks; });
    QCOMPARE(deaf.download.downloadPreparedCopy(), ParameterDownload::Result::LineLost);
    QCOMPARE(deaf.wire(),
             (QStringList{"W 0070=0001", "W 0044=0031", "W 0018=0019", "W 0019=001A"}));
    QCOMPARE(readBacks, 0);
    QCOMPARE(deaf.op.messages(), QList<QList<int>>{{892}});
    QVERIFY(deaf.op.texts.value(892).contains("stopped after 0 of"));
    QVERIFY(deaf.op.texts.value(892).contains("\n11 Main set value: not sent ("));
    QCOMPARE(deaf.view.progressValues.last(), 3);
    QVERIFY(!deaf.view.progressVisible);
    QVERIFY(deaf.shared.unconfirmedWrites.contains(49) &&
            deaf.shared.unconfirmedWrites.contains(12));
    QVERIFY(deaf.shared.downloadRequested && !deaf.shared.settingDataValid);
    QCOMPARE(deaf.journalLines(),
             (QStringList{"49 49 no reply", "25 25 no reply", "26 26 no reply"}));
}

// The line is pulled part-way: the items the controller answered before stay taken, as the
// journal says; the three that went unanswered are not known; those never sent are named as
// never sent, never as sent. The page shows the marks at once, before any read.
void TestParameterDownload::lineLostPartWay()
{
    DownloadRig rig(ModbusAscii);
    int writes = 0;
    rig.controller.intercept = [&](const FakeCom::Request &r) {
        if (r.command == "06" && ++writes > 1 + 20)
            rig.controller.silent = true;
        return QString();
    };
    rig.shared.downloadRequested = true;
    int readBacks = 0;
    rig.download.setReadBack([&] { ++readBacks; });

    QCOMPARE(rig.download.downloadPreparedCopy(), ParameterDownload::Result::LineLost);

    QMap<ItemOutcome::Verdict, QList<int>> byVerdict;
    for (const ItemOutcome &item : rig.download.lastOutcomes())
        byVerdict[item.verdict()] << item.code;
    const QList<int> taken = byVerdict.value(ItemOutcome::Verdict::Taken);
    const QList<int> unanswered = byVerdict.value(ItemOutcome::Verdict::NoReply);
    const QList<int> notSent = byVerdict.value(ItemOutcome::Verdict::NotReached);
    QVERIFY(taken.size() >= 15);
    QCOMPARE(unanswered.size(), 3);
    QCOMPARE(taken.size() + unanswered.size() + notSent.size(),
             int(rig.download.lastOutcomes().size()));
    QCOMPARE(readBacks, 0);
    QCOMPARE(
        QSet<int>(rig.shared.unconfirmedWrites.keyBegin(), rig.shared.unconfirmedWrites.keyEnd()),
        QSet<int>(unanswered.cbegin(), unanswered.cend()) +
            QSet<int>(notSent.cbegin(), notSent.cend()));
    QCOMPARE(rig.view.settingPageRefreshes, 1);

    const QString box = rig.op.texts.value(892);
    QVERIFY2(box.contains(QStringLiteral("stopped after %1 of").arg(taken.size())),
             qPrintable(box));
    for (const int code : taken)
        QVERIFY2(!box.contains(QStringLiteral("\n%1 ").arg(code)), qPrintable(box));
    for (const int code : unanswered)
        QVERIFY(box.contains(QStringLiteral("\n%1 %2: sent ")
                                 .arg(code)
                                 .arg(SettingRanges::itemName(rig.shared, code))));
    for (const int code : notSent)
        QVERIFY(box.contains(QStringLiteral("\n%1 %2: not sent (")
                                 .arg(code)
                                 .arg(SettingRanges::itemName(rig.shared, code))));
    // The page's tool tips say what was sent, and for an item never sent that nothing was.
    rig.shared.settingDataValid = true;
    const SettingPageState pages = settingPageState(rig.shared, SettingPageState::AllPages);
    for (const int code : unanswered + notSent) {
        const SettingRow *row = pages.row(code);
        if (row == nullptr)
            continue;
        QVERIFY(row->unconfirmed);
        QCOMPARE(row->unconfirmedTip.startsWith("Not sent:"), notSent.contains(code));
    }
    const QStringList journal = rig.journalLines();
    QCOMPARE(journal.filter(" taken").size(), taken.size());
    QCOMPARE(journal.filter(" no reply").size(), 3);
    QCOMPARE(journal.size(), taken.size() + 3);
}

void TestParameterDownload::compareWithController()
{
    // The controller holds what a download of the display would send, but for the proportional
    // band (13), and refuses to read the integral time (15). Nothing is written; the display
    // keeps its values.
    DownloadRig rig(ModbusAscii);
    for (const qint16 code : ParameterDownload::Chain) {
        const QString address = RegisterMap::modbusAddress(code);
        if (!address.isEmpty())
            rig.controller.registers[address] = qint16(code);
    }
    rig.controller.registers["0004"] = 99;
    rig.controller.intercept = [](const FakeCom::Request &r) {
        return ScriptedController::modbusAddress(r) == "0006" ? FakeCom::modbusException(1, 3, 2)
                                                              : QString();
    };
    const auto shown = rig.shared.settingValues;
    ControllerComparison &comparison = rig.core.comparison;

    const std::optional<QList<SettingDifference>> found = comparison.compare();

    QVERIFY(found.has_value());
    QStringList rows;
    for (const SettingDifference &d : *found)
        rows << QString::number(d.code) + " " + d.otherText + " " + d.controllerText;
    QCOMPARE(rows.mid(0, 2), (QStringList{"13 13 99", "15 15 not read"}));
    QCOMPARE(rig.shared.settingValues, shown);
    QVERIFY(rig.wire().filter(QRegularExpression("^W (?!0000=4C1A)")).isEmpty());

    // A dead line ends the comparison after three items in a row unanswered (each read tried
    // twice), with message 892.
    DownloadRig deaf(ModbusAscii);
    deaf.controller.silent = true;
    ControllerComparison &dead = deaf.core.comparison;
    QVERIFY(!dead.compare().has_value());
    QCOMPARE(deaf.wire().size(), 6);
    QCOMPARE(deaf.op.messages(), QList<QList<int>>{{892}});
}

QTEST_GUILESS_MAIN(TestParameterDownload)
#include "tst_parameterdownload.moc"
