#include "dialogs/SubDisp_comm.h"
#include "tests/support/ConnectionRig.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// The dialog's controls against the shared state and the store; the entry rules themselves are
// covered without widgets.
class TestSubDispComm : public QObject
{
    Q_OBJECT

private slots:
    void showsStoredConditions();
    void okChecksTypedNumber();
    void cancelAndCloseBox();
};

namespace
{
QComboBox *combo(SubDisp_comm &d, const char *name)
{
    return d.findChild<QComboBox *>(QLatin1String(name));
}
QPushButton *button(SubDisp_comm &d, const char *name)
{
    return d.findChild<QPushButton *>(QLatin1String(name));
}
} // namespace

void TestSubDispComm::showsStoredConditions()
{
    ConnectionRig rig;
    rig.storeConditions("COM6", "19200", "8", "2", "NONE", "33", Ravtocol);
    rig.store.loadCommValues(rig.inc);
    SubDisp_comm dialog(rig.inc, rig.store, rig.link, rig.op);

    QCOMPARE(combo(dialog, "Cmb_port")->currentText(), QStringLiteral("COM6"));
    QCOMPARE(combo(dialog, "Cmb_No")->currentText(), QStringLiteral("33"));
    QCOMPARE(combo(dialog, "Cmb_protocol")->currentText(), QStringLiteral("RAVTOCOL"));
    for (const char *option : {"Option1_1", "Option3_1", "Option4_1", "Option2_2"})
        QVERIFY2(dialog.findChild<QRadioButton *>(option)->isChecked(), option);
}

void TestSubDispComm::okChecksTypedNumber()
{
    ConnectionRig rig;
    rig.storeConditions("COM1", "9600", "7", "1", "EVEN", "20", ModbusAscii);
    rig.store.loadCommValues(rig.inc);
    SubDisp_comm dialog(rig.inc, rig.store, rig.link, rig.op);
    dialog.show();
    combo(dialog, "Cmb_port")->setCurrentIndex(4);
    combo(dialog, "Cmb_No")->setCurrentText(QStringLiteral("96"));

    button(dialog, "Command1_0")->click();

    // An entry error keeps the dialog open on the number in force; the port is already stored.
    QVERIFY(dialog.isVisible());
    QCOMPARE(rig.op.messages(), QList<QList<int>>{{229}});
    QCOMPARE(combo(dialog, "Cmb_No")->currentText(), QStringLiteral("20"));
    QCOMPARE(rig.store.storedValue(false, "Port"), QStringLiteral("COM5"));
    QVERIFY(!rig.inc.commSettingsConfirmed);

    // Typed as an operator types it: the list must not complete "7" to "70".
    dialog.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    combo(dialog, "Cmb_No")->setFocus();
    combo(dialog, "Cmb_No")->lineEdit()->clear();
    QTest::keyClicks(combo(dialog, "Cmb_No")->lineEdit(), QStringLiteral("7"));
    dialog.findChild<QRadioButton *>("Option2_1")->setChecked(true);
    button(dialog, "Command1_0")->click();

    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(combo(dialog, "Cmb_No")->currentText(), QStringLiteral("07"));
    QCOMPARE(rig.stored(), (QStringList{"COM5", "9600", "7", "1", "ODD", "7", "0"}));
    QVERIFY(rig.inc.commSettingsConfirmed);
}

void TestSubDispComm::cancelAndCloseBox()
{
    ConnectionRig rig;
    {
        SubDisp_comm dialog(rig.inc, rig.store, rig.link, rig.op);
        button(dialog, "Command1_1")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QVERIFY(rig.inc.commDialogCancelled);
    QVERIFY(rig.store.storedValue(false, "Port").isNull());

    // The close box cancels alike.
    rig.inc.commDialogCancelled = false;
    SubDisp_comm dialog(rig.inc, rig.store, rig.link, rig.op);
    dialog.show();
    dialog.close();
    QVERIFY(rig.inc.commDialogCancelled);
}

QTEST_MAIN(TestSubDispComm)
#include "tst_subdispcomm.moc"
