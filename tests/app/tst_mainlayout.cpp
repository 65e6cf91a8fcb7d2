#include "app/MainWindow.h"
#include "base/MessageTable.h"
#include "comm/SettingsStore.h"
#include "dialogs/ModelChangeDialog.h"
#include "tests/support/ContextRig.h"
#include "tests/support/FakeOperator.h"

#include "base/SessionState.h"
#include "chart/TrendChart.h"
#include "comm/ControllerCodes.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QtTest>

// The main window laid out at its minimum size, in English and Japanese, under the scale factor
// and on the screen the run was started with (CTest runs it at 1, 1.5 and 2 on a 1366 x 768 and a
// 1920 x 1080 screen): no caption may be cut off, the value boxes of all setting pages line up,
// and the window fits the screen with its status bar, its pages scrolling where it is too small.
class TestMainLayout : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { MessageTable::instance().setLanguage(Language::English); }
    void nothingClippedAtMinimumSize_data();
    void nothingClippedAtMinimumSize();
    void panelsTakeRoomInsideTheWindow_data() { nothingClippedAtMinimumSize_data(); }
    void panelsTakeRoomInsideTheWindow();
    void fitsTheScreen_data() { nothingClippedAtMinimumSize_data(); }
    void fitsTheScreen();
    void dialogFitsTheScreen_data() { nothingClippedAtMinimumSize_data(); }
    void dialogFitsTheScreen();
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
        static const QRegularExpression settingValue(
            QStringLiteral("^(alarm1|alarm2|heaterBurnout|pid|cooling|other)Value_\\d+$"));
        if (settingValue.match(name).hasMatch() && label->isVisible()) {
            const int left = label->mapTo(window, QPoint(0, 0)).x();
            lefts << left;
            rights << left + label->width();
        }
    }
    return {lefts, rights};
}

// The visible widgets under root with a layout that were given less height than that layout
// needs: their rows are drawn on top of each other.
QStringList squeezed(QWidget *root)
{
    QStringList names;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        const QLayout *layout = widget->layout();
        if (!widget->isVisible() || layout == nullptr)
            continue;
        // Rows with wrapping captions need their height for the frame's width, not the least.
        const int needed = layout->hasHeightForWidth()
                               ? layout->totalHeightForWidth(widget->width())
                               : layout->minimumSize().height();
        if (widget->height() < needed)
            names << widget->objectName();
    }
    return names;
}

// Lets the layouts settle as the event loop would between two operator actions.
void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// The window over no controller, in language, its settings in a folder dropped with it.
struct OfflineWindow {
    OfflineWindow(Language language, SessionState shared)
    {
        MessageTable::instance().setLanguage(language);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        store = std::make_unique<SettingsStore>(QSettings::IniFormat);
        window = std::make_unique<MainWindow>(
            std::move(shared), *store, [] { return std::unique_ptr<CommComponent>(); }, &op);
        window->initialise();
    }
    // Shown at its least size; true once exposed.
    bool showAtLeastSize()
    {
        window->show();
        window->resize(window->minimumSizeHint());
        return QTest::qWaitForWindowExposed(window.get());
    }

    QTemporaryDir dir;
    std::unique_ptr<SettingsStore> store;
    FakeOperator op;
    std::unique_ptr<MainWindow> window;
};

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
    // Every option installed and data loaded: the most rows and the longest captions.
    SessionState shared;
    shared.unitConfig = {1, 1, 4, 1, 1, 0};
    shared.settingDataValid = true;
    shared.online = true;
    shared.monitorValues[7] = 0x0065;
    shared.setting(13) = 30;
    shared.setting(14) = 30;
    shared.setting(15) = 200;
    shared.setting(16) = 50;
    shared.setting(36) = 1;
    shared.setting(37) = 1;
    OfflineWindow rig(Language(language), std::move(shared));
    MainWindow &window = *rig.window;
    window.refreshMonitor();
    QVERIFY(rig.showAtLeastSize());
    QCoreApplication::processEvents();

    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("settingTabs"));
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

    // At scale 1 it shrinks onto a 1280 x 900 screen with room for the taskbar, and its central
    // part does not scroll: the window's least size is the content's.
    if (qEnvironmentVariable("QT_SCALE_FACTOR", QStringLiteral("1")).toDouble() == 1) {
        auto *central = qobject_cast<QScrollArea *>(window.centralWidget());
        QVERIFY(central != nullptr);
        QVERIFY(!central->horizontalScrollBar()->isVisible());
        QVERIFY(!central->verticalScrollBar()->isVisible());
        QVERIFY2(window.width() <= 1280 && window.height() <= 860,
                 qPrintable(QStringLiteral("%1 x %2").arg(window.width()).arg(window.height())));
    }
}

void TestMainLayout::panelsTakeRoomInsideTheWindow()
{
    QFETCH(int, language);
    SessionState loaded;
    loaded.settingDataValid = true;
    OfflineWindow rig(Language(language), std::move(loaded));
    MainWindow &window = *rig.window;
    SessionState &shared = window.core().shared;
    QVERIFY(rig.showAtLeastSize());
    settle();
    const QSize size = window.size();
    // What went wrong at a step: the window resized itself, or a panel was squeezed.
    const auto fault = [&](const char *step) {
        settle();
        QString text;
        if (window.size() != size)
            text += QStringLiteral(" resized to %1 x %2").arg(window.width()).arg(window.height());
        for (const QString &name : squeezed(&window))
            text += QStringLiteral(" squeezed ") + name;
        return text.isEmpty() ? text : QLatin1String(step) + text;
    };
    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("settingTabs"));

    // A model change to heating/cooling offline: the cooling frame's rows on the PID page.
    pages->setCurrentIndex(1);
    settle();
    shared.unitConfig.heatCool = 1;
    window.refreshSettingPage();
    QCOMPARE(fault("model change"), QString());

    // Online in manual control: MV2 and the manual output buttons.
    shared.online = true;
    shared.monitorValues[4] = qint16(StatusBit::AutoManualKey | StatusBit::Manual);
    window.refreshMonitor();
    QVERIFY(window.findChild<QWidget *>(QStringLiteral("manualStepButton_0"))->isVisible());
    QCOMPARE(fault("manual output"), QString());

    // A transfer's progress, then the search panel over the page with its one Cancel.
    window.setProgressVisible(true, 501);
    QCOMPARE(fault("progress"), QString());
    window.setLinkCheckState(LinkCheckState::Searching);
    window.showSearchProgress({"COM3", "19200", "Modbus RTU", "37", 4000, 1200});
    QCOMPARE(fault("search panel"), QString());
    QCOMPARE(window.findChildren<QPushButton *>(QStringLiteral("linkCheckCancel")).size(), 1);
    auto *cancel = window.findChild<QPushButton *>(QStringLiteral("linkCheckCancel"));
    const QPoint cancelCentre = cancel->mapTo(&window, cancel->rect().center());
    QCOMPARE(window.childAt(cancelCentre), cancel);
    window.setLinkCheckState(LinkCheckState::Idle);

    // The Trace page with MV2 and the trace selection open.
    window.findChild<QTabWidget *>(QStringLiteral("mainTabs"))->setCurrentIndex(1);
    settle();
    window.findChild<QPushButton *>(QStringLiteral("channelSelectButton"))->click();
    QVERIFY(window.findChild<QWidget *>(QStringLiteral("channelSelectGroup"))->isVisible());
    QCOMPARE(fault("trace selection"), QString());
}

void TestMainLayout::fitsTheScreen()
{
    QFETCH(int, language);
    SessionState shared;
    shared.unitConfig = {1, 1, 4, 1, 1, 0};
    shared.settingDataValid = true;
    OfflineWindow rig(Language(language), std::move(shared));
    MainWindow &window = *rig.window;
    QVERIFY(rig.showAtLeastSize());
    settle();
    // Once framed, the window's least size allows for its frame.
    window.resize(window.minimumSizeHint());
    settle();
    // The screen as the window sees it, in its own (scaled) pixels.
    const QRect screen = window.screen()->availableGeometry();
    const QSize frame = window.frameGeometry().size();
    QVERIFY2(frame.width() <= screen.width() && frame.height() <= screen.height(),
             qPrintable(QStringLiteral("%1 x %2 on %3 x %4")
                            .arg(frame.width())
                            .arg(frame.height())
                            .arg(screen.width())
                            .arg(screen.height())));
    // The status bar is on the window, below its pages.
    QStatusBar *status = window.statusBar();
    QVERIFY(status->isVisible());
    QVERIFY(window.rect().contains(status->geometry()));
    QVERIFY(QStringList(squeezed(&window)).isEmpty());

    // Every control of every page can be scrolled into view, the last ones too: the pages
    // scroll, nothing is pushed off the window. A control that takes the focus scrolls into view
    // by itself, whatever gave it the focus (Tab, a dialog handing it back, a panel opening).
    QVERIFY(QTest::qWaitForWindowActive(&window));
    auto *mainTabs = window.findChild<QTabWidget *>(QStringLiteral("mainTabs"));
    auto *pages = window.findChild<QTabWidget *>(QStringLiteral("settingTabs"));
    for (int main = 0; main < mainTabs->count(); ++main) {
        mainTabs->setCurrentIndex(main);
        for (int page = 0; page < (main == 0 ? pages->count() : 1); ++page) {
            pages->setCurrentIndex(page);
            settle();
            for (QPushButton *button : mainTabs->currentWidget()->findChildren<QPushButton *>()) {
                if (!button->isVisible())
                    continue;
                if (button->isEnabled()) {
                    button->setFocus(Qt::OtherFocusReason);
                    QVERIFY(button->hasFocus());
                }
                for (QWidget *parent = button->parentWidget();
                     !button->isEnabled() && parent != nullptr; parent = parent->parentWidget()) {
                    if (auto *scroll = qobject_cast<QScrollArea *>(parent))
                        scroll->ensureWidgetVisible(button);
                }
                settle();
                const QRect shown(button->mapTo(&window, QPoint(0, 0)), button->size());
                QVERIFY2(window.rect().contains(shown.center()) &&
                             !button->visibleRegion().isEmpty(),
                         qPrintable(button->objectName()));
                QVERIFY2(!status->geometry().contains(shown.center()),
                         qPrintable(button->objectName()));
            }
        }
    }
}

// The tallest dialog, the model change, fits the screen: where it is too low its contents scroll
// and its OK and Cancel are scrolled into view as they take the focus.
void TestMainLayout::dialogFitsTheScreen()
{
    QFETCH(int, language);
    MessageTable::instance().setLanguage(Language(language));
    SessionState shared;
    shared.unitConfig = {1, 1, 4, 1, 1, 0};
    FakeOperator op;
    ContextRig context(shared, op);
    ModelChangeDialog dialog(context);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    settle();
    const int room = dialog.screen()->availableGeometry().height() -
                     dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    QVERIFY2(dialog.height() <= room, qPrintable(QString::number(dialog.height())));
    for (const char *name : {"okButton", "cancelButton"}) {
        auto *button = dialog.findChild<QPushButton *>(QLatin1String(name));
        button->setFocus(Qt::TabFocusReason);
        settle();
        const QRect shown(button->mapTo(&dialog, QPoint(0, 0)), button->size());
        QVERIFY2(dialog.rect().contains(shown), name);
    }
}

QTEST_MAIN(TestMainLayout)
#include "tst_mainlayout.moc"
