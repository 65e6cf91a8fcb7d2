#include "comm/ComLink.h"
#include "tests/support/FakeCom.h"

#include <QtTest>

#include <memory>

class TestComLink : public QObject
{
    Q_OBJECT

private slots:
    void renewReplacesInstance();
    void missingComponentIsInert();
};

void TestComLink::renewReplacesInstance()
{
    auto script = std::make_shared<FakeCom::Script>();
    ComLink link(FakeCom::factory(script));
    QVERIFY(!link.com());

    QCOMPARE(link.com(), &link.renew());
    link.renew();
    // The old instance is gone before the new one is made, so its port is free again.
    QCOMPARE(script->calls, QStringList({"created", "destroyed", "created"}));
    QCOMPARE(script->destroyed, 1);

    link.release();
    QVERIFY(!link.com());
    QCOMPARE(script->destroyed, 2);
}

void TestComLink::missingComponentIsInert()
{
    for (ZN8PComFactory factory :
         {ZN8PComFactory(), ZN8PComFactory([] { return std::unique_ptr<ZN8PCom>(); })}) {
        ComLink link(factory);
        ZN8PCom &com = link.renew();
        QVERIFY(link.com());
        QVERIFY(!com.OpenPort());
        QVERIFY(com.SendRequest("01", "", "03", "00010001", "", 3, "").isEmpty());
        QVERIFY(com.ReplyWord(QStringLiteral(":01030200FA00\r\n"), 1).isEmpty());
    }
}

QTEST_GUILESS_MAIN(TestComLink)
#include "tst_comlink.moc"
