#include "app/MainDisp.h"
#include "base/MessageTable.h"
#include "comm/SettingsStore.h"
#include "tests/support/FakeOperator.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTabWidget>
#include <QtTest>

// The main window laid out at its minimum size, in English and Japanese, under the scale factor
// the run was started with (CTest runs it at 1, 1.5 and 2): no caption may be cut off, the value
// boxes of all setting pages line up, and the window can still be shrunk onto a common screen.
class TestMainLayout : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { MessageTable::instance().setLanguage(Language::English); }
    void nothingClippedAtMinimumSize_data();
    void nothingClippedAtMinimumSize();
};

namespace
{
// The texts of the visible labels and buttons under root that do not fit their widget.
QStringList clippedTexts(QWidget *root)
{
    QStringList clipped;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(root) || !widget->isVisible())
            continue;
        const QFontMetrics metrics = widget->fontMetrics();
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (label->text().isEmpty() || label->wordWrap())
                continue;
            const int room = label->contentsRect().width() - 2 * label->margin();
            if (metrics.horizontalAdvance(label->text()) > room)
                clipped << label->objectName() + QStringLiteral(" \"") + label->text() + '"';
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            const QString text = button->text().remove(QLatin1Char('&'));
            if (!text.isEmpty() && metrics.horizontalAdvance(text) > button->width())
                clipped << button->objectName() + QStringLiteral(" \"") + text + '"';
        }
    }
    return clipped;
}

// The left and the right edges of the visible value boxes of the current setting page, in window
// coordinates.
QPair<QSet<int>, QSet<int>> valueColumns(QWidget *window)
{
    QSet<int> lefts, rights;
    for (QLabel *label : window->findChildren<QLabel *>()) {
        const QString name = label->objectName();
        if (name.startsWith(QLatin1String("Label_")) && name.contains(QLatin1String("val_")) &&
            label->isVisible()) {
            const int left = label->mapTo(window, QPoint(0, 0)).x();
            lefts << left;
            rights << left + label->width();
        }
    }
    return {lefts, rights};
}
} // namespace

void TestMainLayout::nothingClippedAtMinimumSize_data()
{
    QTest::addColumn<int>("language");
    QTest::newRow("English") << int(Language::English);
    QTest::newRow("Japanese") << int(Language::Japanese);
}

void TestMainLayout::nothingClippedAtMinimumSize()
{
    QFETCH(int, language);
    MessageTable::instance().setLanguage(Language(language));
    QTemporaryDir dir;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    SettingsStore store(QSettings::IniFormat);
    FakeOperator op;
    // Every option installed and data loaded: the most rows and the longest captions.
    ZN8P_INC inc;
    inc.unitConfig = {1, 1, 4, 1, 1, 0};
    inc.settingDataValid = true;
    inc.online = true;
    inc.monitorValues[7] = 0x0065;
    inc.setting(13) = 30;
    inc.setting(14) = 30;
    inc.setting(15) = 200;
    inc.setting(16) = 50;
    inc.setting(36) = 1;
    inc.setting(37) = 1;
    MainDisp window(
        std::move(inc), store, [] { return std::unique_ptr<ZN8PCom>(); }, &op);
    window.system_init();
    window.refreshMonitor();
    window.show();
    window.resize(window.minimumSizeHint());
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();

    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("SSTab2"));
    // Value boxes start at one x on every page and end at one x within a page (a page that
    // scrolls is narrower by its scroll bar).
    QSet<int> lefts;
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QStringList clipped = clippedTexts(&window);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral(", "))));
        const auto [pageLefts, pageRights] = valueColumns(&window);
        lefts += pageLefts;
        QCOMPARE(pageRights.size(), 1);
    }
    QCOMPARE(lefts.size(), 1);

    // At scale 1 it shrinks onto a 1280 x 900 screen with room for the taskbar.
    if (qgetenv("QT_SCALE_FACTOR").isEmpty()) {
        QVERIFY2(window.width() <= 1280 && window.height() <= 860,
                 qPrintable(QStringLiteral("%1 x %2").arg(window.width()).arg(window.height())));
    }
}

QTEST_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
