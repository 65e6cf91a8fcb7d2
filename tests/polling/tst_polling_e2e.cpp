#include "base/ZN8P_INC.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "comm/SerialZN8PCom.h"
#include "comm/SettingsStore.h"
#include "comm/VendorFrameSession.h"
#include "polling/PollingCycle.h"
#include "sim/SimulatedController.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/RecordingMainView.h"
#include "transfer/CoreSession.h"

#include <QtTest>

namespace
{
// The serial component, noting what each request asked for.
class RecordingCom : public SerialZN8PCom
{
public:
    RecordingCom(PortNames names, QStringList &log) : SerialZN8PCom(std::move(names)), m_log(log) {}
    QString SendRequest(const QString &station, const QString &subAddress, const QString &command,
                        const QString &address, const QString &data, int count,
                        const QString &spare) override
    {
        m_log << command + QLatin1Char(' ') + address;
        return SerialZN8PCom::SendRequest(station, subAddress, command, address, data, count,
                                          spare);
    }

private:
    QStringList &m_log;
};

// The polling cycle over the real component and a simulated controller with the given options.
struct SimRig {
    explicit SimRig(const ModelOptions &model)
    {
        SimulatedController::Options options;
        options.model = model;
        sim = std::make_unique<SimulatedController>(options);
        if (!sim->start())
            qFatal("simulator: %s", qPrintable(sim->errorString()));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        RegisterMap::fillRegisterTable(inc);
        RegisterMap::fillVendorItemTable(inc);
        if (!core.link.renew().OpenPort())
            qFatal("the pseudo-terminal does not open");
    }
    // Reads the option words as the online start does, then a full rotation.
    QStringList rotation()
    {
        for (int code : {8, 7, 4})
            ParameterTable::ReadDataSet(inc, core.link.com(),
                                        core.request.read(inc.registerTable.at(code)), code);
        core.polling.runMonitorJob(); // any code: it only warms the line
        log.clear();
        inc.monitorStep = 0;
        for (int i = 0; i < PollingCycle::RotationLength; ++i)
            core.polling.runMonitorJob();
        return log;
    }
    QStringList vendorReads() const
    {
        QStringList items;
        for (const QString &entry : log) {
            if (entry.startsWith(QLatin1String("a ")))
                items << entry.mid(2);
        }
        return items;
    }
    QString item(int code) const
    {
        return inc.vendorItemTable.at(ParameterTable::vendorItemIndex(code));
    }

    QTemporaryDir dir;
    std::unique_ptr<SimulatedController> sim;
    QStringList log;
    FakeOperator op;
    RecordingMainView view;
    SettingsStore store{QSettings::IniFormat};
    CoreSession core{{op, view, store, dir.path()}, ZN8P_INC(), [this] {
                         return std::make_unique<RecordingCom>(
                             PortNames({{QStringLiteral("COM1"), sim->slavePath()}}), log);
                     }};
    ZN8P_INC &inc = core.inc;
};

// Read requests of the given monitor codes, as the request layer addresses them.
QStringList reads(const ZN8P_INC &inc, std::initializer_list<int> codes)
{
    QStringList list;
    for (int code : codes)
        list << QStringLiteral("03 ") + inc.registerTable.at(code) + QStringLiteral("0001");
    return list;
}
} // namespace

// The monitoring rotation and the 10-second refresh against the simulated controller: what is
// read follows the option words the controller itself reports.
class TestPollingE2e : public QObject
{
    Q_OBJECT

private slots:
    void rotationFollowsTheOptionWords();
    void tenSecondRefreshFollowsTheContactInputFunction();
};

void TestPollingE2e::rotationFollowsTheOptionWords()
{
    ModelOptions bare;
    bare.alarm2 = false;
    bare.heaterBreak = 0;
    SimRig plain(bare);
    QCOMPARE(plain.rotation(), reads(plain.inc, {0, 4, 3, 1, 0, 4, 3}));
    QCOMPARE(plain.log.first(), QStringLiteral("03 00800001"));
    QVERIFY(plain.view.monitorRefreshes >= PollingCycle::RotationLength);

    ModelOptions full;
    full.heatCool = true;
    full.heaterBreak = 3; // three-phase: both heater currents
    SimRig rich(full);
    QCOMPARE(rich.rotation(), reads(rich.inc, {0, 4, 3, 1, 2, 5, 6}));
    QCOMPARE(rich.inc.optionWord() & 0x54, 0x54);
    QVERIFY(!rich.inc.commErrorFlag);
}

void TestPollingE2e::tenSecondRefreshFollowsTheContactInputFunction()
{
    ModelOptions model;
    model.contactInput = true;
    model.serialComm = false; // the set values 2 to 4 are selected by contact input only
    SimRig rig(model);
    rig.rotation();
    QVERIFY(VendorFrameSession::hasSv2Option(rig.inc));

    const QString sv2 = rig.item(58);
    rig.sim->setItem(sv2.toUShort(nullptr, 16), 345);
    rig.sim->setItem(rig.item(59).toUShort(nullptr, 16), 346);
    rig.sim->setItem(rig.item(60).toUShort(nullptr, 16), 347);

    struct Case {
        qint16 function;
        QStringList items;
    };
    const QList<Case> cases = {
        {0,
         {rig.item(61), rig.item(61), sv2, sv2, rig.item(59), rig.item(59), rig.item(60),
          rig.item(60)}},
        {1, {rig.item(61), rig.item(61), sv2, sv2}},
    };
    for (const Case &c : cases) {
        rig.sim->setItem(rig.item(61).toUShort(nullptr, 16), c.function);
        rig.log.clear();
        rig.core.polling.refreshVendorItems();
        QVERIFY2(rig.vendorReads() == c.items, qPrintable(rig.log.join(QLatin1String(" | "))));
        QCOMPARE(rig.inc.setting(61), c.function);
        QCOMPARE(rig.inc.setting(58), qint16(345));
        QVERIFY(!rig.sim->inVendorFrame());
    }
    QCOMPARE(rig.inc.setting(59), qint16(346));
    QCOMPARE(rig.inc.setting(60), qint16(347));

    // Function 2 (no set values by contact input) reads nothing more until it changes.
    rig.log.clear();
    rig.core.polling.refreshVendorItems();
    QCOMPARE(rig.inc.setting(61), qint16(1));
    rig.sim->setItem(rig.item(61).toUShort(nullptr, 16), 2);
    rig.core.polling.refreshVendorItems();
    rig.log.clear();
    rig.core.polling.refreshVendorItems();
    QVERIFY(rig.vendorReads().isEmpty());

    // While auto-tuning runs nothing at all is sent.
    // Writing 1 to the auto-tuning item starts it.
    rig.core.request.write(rig.inc.registerTable.at(12), QStringLiteral("0001"));
    // Step 1 of the rotation reads the status word.
    rig.inc.monitorStep = 1;
    rig.core.polling.runMonitorJob();
    QVERIFY(quint16(rig.inc.statusWord()) & 0x0800);
    rig.log.clear();
    rig.core.polling.refreshVendorItems();
    QVERIFY(rig.log.isEmpty());
}

QTEST_GUILESS_MAIN(TestPollingE2e)
#include "tst_polling_e2e.moc"
