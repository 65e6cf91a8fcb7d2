#include "app/GuiSettingsFileDialogs.h"
#include "app/QtCatalogue.h"
#include "base/MessageTable.h"

#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QTreeView>
#include <QtTest>

// The settings file dialog in Japanese: Qt's own texts translated, and no detail column narrower
// than its heading or its entries.
class TestFileDialogs : public QObject
{
    Q_OBJECT

private slots:
    void japaneseColumnsFit();
};

void TestFileDialogs::japaneseColumnsFit()
{
    QTranslator *translator = QtCatalogue::install(Language::Japanese);
    QVERIFY(translator != nullptr);
    QTemporaryDir dir;
    // Qt's dialog keeps its own state in the user's settings: not the real ones.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    QFile file(dir.filePath(QStringLiteral("a long settings file name for the test.znm")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(123456, 'x'));
    file.close();

    QWidget parent;
    GuiSettingsFileDialogs dialogs(&parent);
    QStringList headings;
    QStringList cut;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
        // The folder is read in the background: wait for the file to be listed (the dialog is
        // closed either way, so that a failure cannot hang the run).
        if (!QTest::qWaitFor([&] { return details->model()->rowCount(details->rootIndex()) == 1; }))
            cut << QStringLiteral("the file was never listed");
        QCoreApplication::processEvents();
        QHeaderView *header = details->header();
        const QAbstractItemModel *model = header->model();
        for (int column = 1; column < header->count(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            const QString heading = model->headerData(column, Qt::Horizontal).toString();
            headings << heading;
            // The heading with the header's margins, the entry as its delegate would draw it.
            const int margin = details->style()->pixelMetric(QStyle::PM_HeaderMargin);
            QStyleOptionViewItem option;
            option.initFrom(details);
            const QModelIndex entry = model->index(0, column, details->rootIndex());
            const int needed = qMax(header->fontMetrics().horizontalAdvance(heading) + 2 * margin,
                                    details->itemDelegate()->sizeHint(option, entry).width());
            if (header->sectionSize(column) < needed)
                cut << QStringLiteral("%1 (%2 < %3)")
                           .arg(heading)
                           .arg(header->sectionSize(column))
                           .arg(needed);
        }
        dialog->reject();
    });
    QVERIFY(dialogs.openFileName(dir.path()).isEmpty());
    QCoreApplication::removeTranslator(translator);

    QVERIFY2(headings.size() >= 2, qPrintable(headings.join(QLatin1Char(','))));
    QVERIFY2(!headings.contains(QStringLiteral("Size")), qPrintable(headings.join(',')));
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
}

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"
