#include "base/MessageTable.h"
#include "dialogs/CommSettingsDialog.h"
#include "tests/support/ConnectionRig.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryFile>
#include <QtTest>

// The dialog's controls against the shared state and the store; the entry rules themselves are
// covered without widgets.
class TestCommSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void cleanupTestCase() { MessageTable::instance().setLanguage(Language::English); }
    void showsStoredConditions();
    void lineSettingsInJapanese();
    void portListShowsAndChangesDevices();
    void okChecksTypedNumber();
    void cancelAndCloseBox();
};

namespace
{
QComboBox *combo(CommSettingsDialog &d, const char *name)
{
    return d.findChild<QComboBox *>(QLatin1String(name));
}
QPushButton *button(CommSettingsDialog &d, const char *name)
{
    return d.findChild<QPushButton *>(QLatin1String(name));
}
} // namespace

void TestCommSettingsDialog::showsStoredConditions()
{
    ConnectionRig rig;
    rig.storeConditions("COM6", "19200", "8", "2", "NONE", "33", Ravtocol);
    rig.store.loadCommValues(rig.shared);
    CommSettingsDialog dialog(rig.context, rig.store);

    QCOMPARE(combo(dialog, "portCombo")->currentIndex(), 5);
    QVERIFY(combo(dialog, "portCombo")->currentText().startsWith(QLatin1String("COM6: ")));
    QCOMPARE(combo(dialog, "stationCombo")->currentText(), QStringLiteral("33"));
    QCOMPARE(combo(dialog, "protocolCombo")->currentText(), QStringLiteral("RAVTOCOL"));
    for (const char *option : {"speed19200", "dataBits8", "stopBits2", "parityNone"})
        QVERIFY2(dialog.findChild<QRadioButton *>(option)->isChecked(), option);
}

void TestCommSettingsDialog::okChecksTypedNumber()
{
    ConnectionRig rig;
    rig.storeConditions("COM1", "9600", "7", "1", "EVEN", "20", ModbusAscii);
    rig.store.loadCommValues(rig.shared);
    CommSettingsDialog dialog(rig.context, rig.store);
    dialog.show();
    combo(dialog, "portCombo")->setCurrentIndex(4);
    combo(dialog, "stationCombo")->setCurrentText(QStringLiteral("96"));

    button(dialog, "okButton")->click();

    // An entry error keeps the dialog open on the number in force; the port is already stored.
    QVERIFY(dialog.isVisible());
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{229}});
    QCOMPARE(combo(dialog, "stationCombo")->currentText(), QStringLiteral("20"));
    QCOMPARE(rig.store.storedValue(false, "Port"), QStringLiteral("COM5"));

    // Typed as an operator types it: the list must not complete "7" to "70".
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    combo(dialog, "stationCombo")->setFocus();
    combo(dialog, "stationCombo")->lineEdit()->clear();
    QTest::keyClicks(combo(dialog, "stationCombo")->lineEdit(), QStringLiteral("7"));
    dialog.findChild<QRadioButton *>("parityOdd")->setChecked(true);
    button(dialog, "okButton")->click();

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(combo(dialog, "stationCombo")->currentText(), QStringLiteral("07"));
    // Kept as the list shows it, the two digits that every framing sends.
    QCOMPARE(rig.stored(), (QStringList{"COM5", "9600", "7", "1", "ODD", "07", "0"}));
}

void TestCommSettingsDialog::lineSettingsInJapanese()
{
    MessageTable::instance().setLanguage(Language::Japanese);
    ConnectionRig rig;
    CommSettingsDialog dialog(rig.context, rig.store);
    MessageTable::instance().setLanguage(Language::English);
    const std::pair<const char *, const char *> captions[] = {
        {"dataBits7", "7ビット"}, {"stopBits2", "2ビット"}, {"parityEven", "偶数"},
        {"parityOdd", "奇数"},    {"parityNone", "なし"},
    };
    for (const auto &[name, text] : captions)
        QCOMPARE(dialog.findChild<QRadioButton *>(name)->text(), QString::fromUtf8(text));
}

// Each COM name says which device it opens and whether it is there; the device box changes the
// selected name's device, and OK stores the map with the port.
void TestCommSettingsDialog::portListShowsAndChangesDevices()
{
    ConnectionRig rig;
    QTemporaryFile present;
    QVERIFY(present.open());
    rig.storeConditions("COM1", "9600", "7", "1", "EVEN", "01", ModbusAscii);
    rig.store.writeValue(rig.shared, "PortMap/COM1", present.fileName());
    rig.store.writeValue(rig.shared, "PortMap/COM2", "/dev/zn-absent-0");
    rig.store.loadCommValues(rig.shared);
    CommSettingsDialog dialog(rig.context, rig.store);
    dialog.show();
    QComboBox *ports = combo(dialog, "portCombo");
    QComboBox *device = combo(dialog, "deviceCombo");

    QCOMPARE(ports->count(), 8);
    QCOMPARE(ports->itemText(0), QStringLiteral("COM1: %1 (present)").arg(present.fileName()));
    QCOMPARE(ports->itemText(1), QStringLiteral("COM2: /dev/zn-absent-0 (not present)"));
    QCOMPARE(device->currentText(), present.fileName());

    // A new device for COM3, typed; COM2 back to the port order by clearing its box.
    ports->setCurrentIndex(2);
    QCOMPARE(device->currentText(), QString());
    device->lineEdit()->setFocus();
    QTest::keyClicks(device->lineEdit(), QStringLiteral("/dev/zn-absent-3"));
    QCOMPARE(ports->itemText(2), QStringLiteral("COM3: /dev/zn-absent-3 (not present)"));
    ports->setCurrentIndex(1);
    QCOMPARE(device->currentText(), QStringLiteral("/dev/zn-absent-0"));
    device->lineEdit()->selectAll();
    QTest::keyClick(device->lineEdit(), Qt::Key_Delete);
    QVERIFY(!ports->itemText(1).contains(QLatin1String("zn-absent-0")));

    button(dialog, "okButton")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const QMap<QString, QString> expected = {{"COM1", present.fileName()},
                                             {"COM3", "/dev/zn-absent-3"}};
    QCOMPARE(rig.store.portMap(rig.shared), expected);
}

void TestCommSettingsDialog::cancelAndCloseBox()
{
    ConnectionRig rig;
    {
        CommSettingsDialog dialog(rig.context, rig.store);
        button(dialog, "cancelButton")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QVERIFY(rig.store.storedValue(false, "Port").isNull());

    // The close box cancels alike.
    CommSettingsDialog dialog(rig.context, rig.store);
    dialog.show();
    dialog.close();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(rig.store.storedValue(false, "Port").isNull());
}

QTEST_MAIN(TestCommSettingsDialog)
#include "tst_commsettingsdialog.moc"
