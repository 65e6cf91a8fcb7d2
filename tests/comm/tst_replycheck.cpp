#include "app/ZN8P_INC.h"
#include "comm/DataWord.h"
#include "comm/ReplyCheck.h"
#include "tests/support/FakeCom.h"

#include <QtTest>

using ReplyCheck::Outcome;
Q_DECLARE_METATYPE(ReplyCheck::Outcome)

class TestReplyCheck : public QObject
{
    Q_OBJECT

private slots:
    void judge_data();
    void judge();
    void vendorReplies();
    void dataWords();
};

void TestReplyCheck::judge_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<Outcome>("read");
    QTest::addColumn<Outcome>("write");
    QTest::addColumn<QString>("errorCode");
    QTest::addColumn<bool>("keysOperated");

    QTest::newRow("modbus read 250") << 0 << ":01030200FA00\r\n"
                                     << Outcome::Good << Outcome::Unrecognised << "" << false;
    QTest::newRow("modbus write echo") << 1 << ":01060070000188\r\n"
                                       << Outcome::Unrecognised << Outcome::Good << "" << false;
    QTest::newRow("modbus keys operated")
        << 0 << FakeCom::modbusException(1, 6, 0x12) << Outcome::Unrecognised << Outcome::Refused
        << "12" << true;
    QTest::newRow("modbus read refused")
        << 0 << ":018302" + QStringLiteral("7A\r\n") << Outcome::Refused << Outcome::Unrecognised
        << "02" << false;
    QTest::newRow("modbus three chars")
        << 1 << ":01" << Outcome::NoReply << Outcome::NoReply << "" << false;
    QTest::newRow("ravtocol read 1000")
        << 2 << "@10$E803A5\r" << Outcome::Good << Outcome::Good << "" << false;
    QTest::newRow("ravtocol keys operated")
        << 2 << "@01!632B\r" << Outcome::Refused << Outcome::Refused << "63" << true;
    QTest::newRow("ravtocol range error") << 2 << FakeCom::ravtocolError(1, 30) << Outcome::Refused
                                          << Outcome::Refused << "30" << false;
    QTest::newRow("ravtocol garbage")
        << 2 << "@01?" << Outcome::Unrecognised << Outcome::Unrecognised << "" << false;
    // A Modbus-looking text read under Ravtocol has no '$' in place.
    QTest::newRow("modbus text under ravtocol")
        << 2 << ":01030200FA00\r\n"
        << Outcome::Unrecognised << Outcome::Unrecognised << "" << false;
}

void TestReplyCheck::judge()
{
    QFETCH(int, protocol);
    QFETCH(QString, reply);
    QFETCH(Outcome, read);
    QFETCH(Outcome, write);
    QFETCH(QString, errorCode);
    QFETCH(bool, keysOperated);
    const qint16 p = qint16(protocol);
    QCOMPARE(ReplyCheck::judgeRead(reply, p), read);
    QCOMPARE(ReplyCheck::judgeWrite(reply, p), write);
    QCOMPARE(ReplyCheck::errorCode(reply, p), errorCode);
    QCOMPARE(ReplyCheck::isKeysOperated(reply, p), keysOperated);
}

void TestReplyCheck::vendorReplies()
{
    using ReplyCheck::VendorReply;
    QCOMPARE(ReplyCheck::judgeVendor(FakeCom::vendorAck(1, "01F4")), VendorReply::Accepted);
    QCOMPARE(ReplyCheck::judgeVendor(FakeCom::vendorNak(1)), VendorReply::WriteRefused);
    QCOMPARE(ReplyCheck::judgeVendor(FakeCom::vendorReadRefused(1)), VendorReply::ReadRefused);
    QCOMPARE(ReplyCheck::judgeVendor(FakeCom::vendorEsc(1)), VendorReply::NotUnderstood);
    QCOMPARE(ReplyCheck::judgeVendor(QStringLiteral(":01030200FA00\r\n")), VendorReply::None);
}

void TestReplyCheck::dataWords()
{
    QCOMPARE(DataWord::toHex(-200), QStringLiteral("FF38"));
    QCOMPARE(DataWord::dataField(1, Ravtocol), QStringLiteral("0100"));
    QCOMPARE(DataWord::dataField(0x4C1A, Ravtocol), QStringLiteral("1A4C"));
    QCOMPARE(DataWord::swapBytes(QStringLiteral("E803")), QStringLiteral("03E8"));

    bool ok = false;
    QCOMPARE(DataWord::fromHex(QStringLiteral("FFFF"), &ok), qint16(-1));
    QVERIFY(ok);
    QCOMPARE(DataWord::fromHex(QStringLiteral("8000")), qint16(-32768));
    QCOMPARE(DataWord::fromHex(QStringLiteral("ff38")), qint16(-200));
    for (const char *bad : {"", "12G4", "10000", "+001", "0x1F"}) {
        QCOMPARE(DataWord::fromHex(QString::fromLatin1(bad), &ok), qint16(0));
        QVERIFY2(!ok, bad);
    }
}

QTEST_GUILESS_MAIN(TestReplyCheck)
#include "tst_replycheck.moc"
