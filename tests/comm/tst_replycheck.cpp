#include "base/SessionState.h"
#include "comm/DataWord.h"
#include "comm/ReplyCheck.h"
#include "tests/support/FakeCom.h"

#include <QtTest>

namespace
{
using ReplyCheck::Outcome;
constexpr Outcome Good = Outcome::Good, Refused = Outcome::Refused, None = Outcome::NoReply,
                  Unknown = Outcome::Unrecognised;

struct Case {
    const char *name;
    int protocol;
    QString reply;
    Outcome read, write;
    const char *errorCode;
    bool keysOperated;
};
} // namespace

Q_DECLARE_METATYPE(Case)

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
    QTest::addColumn<Case>("c");
    const Case cases[] = {
        {"modbus read 250", 0, ":01030200FA00\r\n", Good, Unknown, "", false},
        {"modbus write echo", 1, ":01060070000188\r\n", Unknown, Good, "", false},
        {"modbus keys operated", 0, FakeCom::modbusException(1, 6, 0x12), Unknown, Refused, "12",
         true},
        {"modbus read refused", 0, ":0183027A\r\n", Refused, Unknown, "02", false},
        {"modbus three chars", 1, ":01", None, None, "", false},
        {"ravtocol read 1000", 2, "@10$E803A5\r", Good, Good, "", false},
        {"ravtocol keys operated", 2, "@01!632B\r", Refused, Refused, "63", true},
        {"ravtocol range error", 2, FakeCom::ravtocolError(1, 30), Refused, Refused, "30", false},
        {"ravtocol garbage", 2, "@01?", Unknown, Unknown, "", false},
        // A Modbus-looking text read under Ravtocol has no '$' in place.
        {"modbus text under ravtocol", 2, ":01030200FA00\r\n", Unknown, Unknown, "", false},
    };
    for (const Case &c : cases)
        QTest::newRow(c.name) << c;
}

void TestReplyCheck::judge()
{
    QFETCH(Case, c);
    const qint16 p = qint16(c.protocol);
    QCOMPARE(ReplyCheck::judgeRead(c.reply, p), c.read);
    QCOMPARE(ReplyCheck::judgeWrite(c.reply, p), c.write);
    QCOMPARE(ReplyCheck::errorCode(c.reply, p), QString(c.errorCode));
    QCOMPARE(ReplyCheck::isKeysOperated(c.reply, p), c.keysOperated);
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
