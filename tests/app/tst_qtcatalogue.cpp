#include "app/QtCatalogue.h"

#include <QTranslator>
#include <QtTest>

// Qt's own texts (standard buttons, the file and colour dialogs) follow the message table's
// language: Japanese loads Qt's catalogue, English leaves them as they are.
class TestQtCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void japaneseTranslatesQtTexts();
};

void TestQtCatalogue::japaneseTranslatesQtTexts()
{
    const std::pair<const char *, const char *> texts[] = {
        {"QPlatformTheme", "&Yes"},   // message box buttons
        {"QFileSystemModel", "Size"}, // file dialog columns
        {"QColorDialog", "&Red:"},    // colour dialog
    };
    QVERIFY(QtCatalogue::install(Language::English) == nullptr);
    for (const auto &[context, text] : texts)
        QCOMPARE(QCoreApplication::translate(context, text), QLatin1String(text));

    QTranslator *translator = QtCatalogue::install(Language::Japanese);
    QVERIFY2(translator != nullptr, "qtbase_ja not found in Qt's translations folder");
    for (const auto &[context, text] : texts) {
        const QString translated = QCoreApplication::translate(context, text);
        QVERIFY2(translated != QLatin1String(text), text);
        QVERIFY2(translated.contains(QRegularExpression(QStringLiteral("[\\x{3000}-\\x{9fff}]"))),
                 qPrintable(translated));
    }
    QCoreApplication::removeTranslator(translator);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Yes"));
}

QTEST_GUILESS_MAIN(TestQtCatalogue)
#include "tst_qtcatalogue.moc"
