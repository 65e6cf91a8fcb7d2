#include "base/MessageTable.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

// Checks the compiled-in message table against the texts the program is known to show, and the
// table reader against malformed input.
class TestMessageTable : public QObject
{
    Q_OBJECT

private slots:
    void holdsExactlyTheProgramsNumbers();
    void everyRowHasBothTexts();
    void quotedTexts_data();
    void quotedTexts();
    void languageSwitching();
    void parseAcceptsWellFormedTables();
    void parseRejectsMalformedLines_data();
    void parseRejectsMalformedLines();
    void unknownNumberGivesSpacer();
    void sentencesOnTheirOwnLines();
};

void TestMessageTable::holdsExactlyTheProgramsNumbers()
{
    const QList<QPair<int, int>> ranges = {
        {1, 1},       {3, 18},      {22, 22},     {30, 35},     {39, 50},     {52, 271},
        {274, 294},   {300, 337},   {343, 343},   {360, 363},   {366, 370},   {374, 374},
        {400, 401},   {411, 414},   {450, 456},   {500, 517},   {520, 520},   {532, 535},
        {550, 559},   {658, 687},   {700, 702},   {714, 719},   {750, 785},   {871, 872},
        {880, 890},   {892, 895},   {900, 918},   {920, 922},   {931, 932},   {940, 940},
        {950, 959},   {970, 979},   {980, 982},   {1000, 1037}, {1040, 1054}, {1060, 1072},
        {1080, 1083}, {1090, 1091}, {1110, 1113}, {1150, 1155}, {1160, 1161}, {1170, 1189},
        {1200, 1215}, {1300, 1317}, {1320, 1320}, {1400, 1458}};
    QList<int> expected;
    for (const auto &[first, last] : ranges)
        for (int n = first; n <= last; ++n)
            expected << n;
    QCOMPARE(MessageTable::instance().numbers(), expected);
    QVERIFY(!MessageTable::instance().contains(2));
    QVERIFY(!MessageTable::instance().contains(786));
}

void TestMessageTable::everyRowHasBothTexts()
{
    const MessageTable &table = MessageTable::instance();
    static const QRegularExpression accelerator(QStringLiteral("\\(&[A-Z]\\)"));
    static const QRegularExpression placeholder(QStringLiteral("%[1-9]"));
    for (int n : table.numbers()) {
        const QString en = table.text(n, Language::English);
        const QString ja = table.text(n, Language::Japanese);
        const QRegularExpressionMatch key = accelerator.match(en);
        // The values a text takes (%1, %2, ...) are filled in by number: both languages must
        // take the same ones, in whatever order the sentence needs.
        QStringList enArgs;
        QStringList jaArgs;
        for (const QRegularExpressionMatch &m : placeholder.globalMatch(en))
            enArgs << m.captured();
        for (const QRegularExpressionMatch &m : placeholder.globalMatch(ja))
            jaArgs << m.captured();
        enArgs.sort();
        jaArgs.sort();
        // A spacer is a spacer in both languages, option captions keep their leading blank and a
        // menu keeps its access key.
        QVERIFY2(!en.isEmpty() && !ja.isEmpty() &&
                     (en == QLatin1String("*")) == (ja == QLatin1String("*")) &&
                     en.startsWith(QLatin1Char(' ')) == ja.startsWith(QLatin1Char(' ')) &&
                     (!key.hasMatch() || ja.endsWith(key.captured())) && enArgs == jaArgs,
                 qPrintable(QString::number(n)));
    }
}

void TestMessageTable::quotedTexts_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("expected");

    QFile file(QStringLiteral(ZN_TEST_DATA_DIR "/app/data/quoted_messages.tsv"));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    int row = 0;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const QList<QByteArray> fields = line.split('\t');
        QCOMPARE(fields.size(), 3);
        const QString lang = QString::fromUtf8(fields.at(1));
        QTest::addRow("%d %s #%d", fields.at(0).toInt(), qPrintable(lang), ++row)
            << fields.at(0).toInt() << lang << QString::fromUtf8(fields.at(2));
    }
    QVERIFY(row > 250);
}

void TestMessageTable::quotedTexts()
{
    QFETCH(int, number);
    QFETCH(QString, lang);
    QFETCH(QString, expected);
    QVERIFY(lang == QLatin1String("en") || lang == QLatin1String("ja"));
    QVERIFY(MessageTable::instance().contains(number));
    const Language language = lang == QLatin1String("ja") ? Language::Japanese : Language::English;
    QCOMPARE(MessageTable::instance().text(number, language), expected);
}

void TestMessageTable::languageSwitching()
{
    MessageTable &table = MessageTable::instance();
    const Language systemLanguage = table.language();
    table.setLanguage(Language::Japanese);
    QCOMPARE(msg(41), QStringLiteral("メイン画面"));
    QCOMPARE(table.text(41, Language::English), QStringLiteral("Main display"));
    table.setLanguage(Language::English);
    QCOMPARE(msg(451), QStringLiteral("Communication error"));
    table.setLanguage(systemLanguage);
}

void TestMessageTable::parseAcceptsWellFormedTables()
{
    QHash<int, QPair<QString, QString>> rows;
    QString error;
    // No newline after the last row, CR LF line ends, and blanks kept around the texts.
    QVERIFY2(MessageTable::parse("185\t Not added\t 無し\r\n455\tOperated. \t操作中", rows, &error),
             qPrintable(error));
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.value(185), qMakePair(QStringLiteral(" Not added"), QStringLiteral(" 無し")));
    QCOMPARE(rows.value(455).first, QStringLiteral("Operated. "));

    QVERIFY(MessageTable::parse(QByteArray(), rows, &error));
    QVERIFY(rows.isEmpty());
}

void TestMessageTable::parseRejectsMalformedLines_data()
{
    QTest::addColumn<QByteArray>("tsv");
    QTest::addColumn<int>("badLine");

    QTest::newRow("missing tab") << QByteArray("1\tA\tB\n2\tNo Japanese\n") << 2;
    QTest::newRow("extra field") << QByteArray("1\tA\tB\tC\n") << 1;
    QTest::newRow("non-numeric number") << QByteArray("1\tA\tB\nx1\tA\tB\n") << 2;
    QTest::newRow("signed number") << QByteArray("+3\tA\tB\n") << 1;
    QTest::newRow("beyond 16 bits") << QByteArray("40000\tA\tB\n") << 1;
    QTest::newRow("duplicate number") << QByteArray("5\tA\tB\n6\tC\tD\n5\tE\tF\n") << 3;
    QTest::newRow("empty Japanese") << QByteArray("5\tA\t\n") << 1;
    QTest::newRow("blank line inside") << QByteArray("5\tA\tB\n\n6\tC\tD\n") << 2;
}

void TestMessageTable::parseRejectsMalformedLines()
{
    QFETCH(QByteArray, tsv);
    QFETCH(int, badLine);
    QHash<int, QPair<QString, QString>> rows{{99, {}}};
    QString error;
    QVERIFY(!MessageTable::parse(tsv, rows, &error));
    QVERIFY2(error.startsWith(QStringLiteral("line %1:").arg(badLine)), qPrintable(error));
    // A rejected table leaves the caller's rows untouched.
    QCOMPARE(rows.keys(), QList<int>{99});
}

void TestMessageTable::unknownNumberGivesSpacer()
{
#ifdef NDEBUG
    QTest::ignoreMessage(QtCriticalMsg, "message 2 is not in the message table");
    QCOMPARE(msg(2), QStringLiteral("*"));
#else
    QSKIP("an unknown number is fatal in debug builds");
#endif
}

void TestMessageTable::sentencesOnTheirOwnLines()
{
    MessageTable &table = MessageTable::instance();
    table.setLanguage(Language::Japanese);
    QCOMPARE(msgLines(452), QStringLiteral("調節計側でキー操作中です。\n設定値を変更できません。"));
    // One sentence, and its trailing blank, stays one line.
    QCOMPARE(msgLines(455), QStringLiteral("調節計側でキー操作中です"));
    table.setLanguage(Language::English);
    QCOMPARE(
        msgLines(452),
        QStringLiteral("The controller keys are being operated.\nSet values cannot be changed."));
    QCOMPARE(msgLines(455), QStringLiteral("The controller keys are being operated."));
    // A decimal point is no sentence end.
    QCOMPARE(msgLines(187), QStringLiteral("Added (single phase 20.0A)"));
}

QTEST_GUILESS_MAIN(TestMessageTable)
#include "tst_messagetable.moc"
