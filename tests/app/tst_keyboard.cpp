#include "comm/RegisterMap.h"
#include "tests/support/ModalDialog.h"
#include "tests/support/TrafficSamples.h"
#include "tests/support/WindowRig.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStyleOption>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

// The main window against the simulated controller, used with the keyboard alone: Tab reaches
// every control in the order it is laid out, Space and Enter press them, menus open with their
// access keys, Esc closes the windows of their own and cancels the search.
class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void operatorWalk();
    void accessKeysAreUnique();
    void searchCancels_data();
    void searchCancels();

private:
    static QWidget *focus() { return QApplication::focusWidget(); }
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        // Without a focused control the window takes the key, as it does on the desktop.
        QTest::keyClick(focus() != nullptr ? focus() : QApplication::activeWindow(), key,
                        modifiers);
    }
    // Where a key typed into a dialog goes, once it is the active window (as a window manager
    // makes it; the offscreen platform may not).
    static QWidget *inFocus(QWidget *dialog)
    {
        if (QApplication::activeWindow() != dialog)
            QApplication::setActiveWindow(dialog);
        return dialog->focusWidget() != nullptr ? dialog->focusWidget() : dialog;
    }
    // Tab until a widget of that name has the focus; false after a whole round without it.
    static bool tabTo(const QString &name)
    {
        for (int step = 0; step < 300; ++step) {
            if (focus() != nullptr && focus()->objectName() == name)
                return true;
            press(Qt::Key_Tab);
        }
        return false;
    }
    // The widgets Tab visits from the focus on for one whole round.
    static QList<QWidget *> tabRound()
    {
        QList<QWidget *> visited;
        const QWidget *first = focus();
        do {
            visited << focus();
            press(Qt::Key_Tab);
        } while (focus() != first && visited.size() < 300);
        return visited;
    }
    // A menu command by Alt and the menu's access key, then the command's.
    static void menuCommand(QMainWindow &window, Qt::Key menuKey, Qt::Key commandKey)
    {
        QTest::keyClick(&window, menuKey, Qt::AltModifier);
        QTRY_VERIFY(qobject_cast<QMenu *>(QApplication::activePopupWidget()) != nullptr);
        QTest::keyClick(QApplication::activePopupWidget(), commandKey);
        QTRY_VERIFY(QApplication::activePopupWidget() == nullptr);
    }
    // The offscreen platform may leave a closed menu or dialog as the active window, where a
    // window manager gives the activation back to the window.
    static void backTo(QWidget &window)
    {
        if (QApplication::activeWindow() != &window) {
            QApplication::setActiveWindow(&window);
            QVERIFY(QTest::qWaitForWindowActive(&window));
        }
    }
};

void TestKeyboard::operatorWalk()
{
    WindowRig rig(WindowRig::Folder::AlsoProgram);
    QVERIFY(rig.startSimulator());
    rig.openWindow();
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    QVERIFY(rig.linkVerified());

    // Qt's own focus order takes over where a control gives up the focus by itself (disabled or
    // hidden): it must not hold a part that only scrolls, which swallows Tab and shows no focus.
    QWidget *step = rig.window.get();
    do {
        if (qobject_cast<QScrollArea *>(step) != nullptr)
            QVERIFY2(!(step->focusPolicy() & Qt::TabFocus), qPrintable(step->objectName()));
        step = step->nextInFocusChain();
    } while (step != rig.window.get());

    // Online by Tab and Enter.
    QVERIFY(tabTo(QStringLiteral("onlineButton")));
    press(Qt::Key_Return);
    QVERIFY(rig.shared().online);

    // File > Upload.
    rig.op.answers = {true};
    menuCommand(*rig.window, Qt::Key_F, Qt::Key_U);
    QTRY_VERIFY_WITH_TIMEOUT(rig.shared().settingDataValid && !rig.shared().uploadRequested, 20000);
    backTo(*rig.window);

    // One round of Tab reaches every button of the page shown, the page's in the order they are
    // laid out: the left column first, then each frame from the top, title row first.
    rig.window->findChild<QTabWidget *>("settingTabs")->setCurrentIndex(0);
    QVERIFY(tabTo(QStringLiteral("onlineButton")));
    const QList<QWidget *> round = tabRound();
    QWidget *page = rig.window->findChild<QTabWidget *>("mainTabs")->currentWidget();
    for (QPushButton *button : page->findChildren<QPushButton *>()) {
        if (button->isVisibleTo(page) && button->isEnabled())
            QVERIFY2(round.contains(button), qPrintable(button->objectName()));
    }
    const auto at = [&](const char *name) {
        return round.indexOf(rig.window->findChild<QWidget *>(QLatin1String(name)));
    };
    // From the online button at the foot of the left column: the page's tab bar, the page's frames
    // from the top, each from its title row down, then round to the top of the left column.
    const auto tabsOf = [&](const char *name) {
        return round.indexOf(rig.window->findChild<QTabWidget *>(QLatin1String(name))->tabBar());
    };
    qsizetype last = 0;
    for (const qsizetype step :
         {tabsOf("settingTabs"), at("groupLockButton_0"), at("changeButton_9"),
          at("changeButton_28"), at("changeButton_30"), at("changeButton_37"),
          at("changeButton_26"), at("groupLockButton_1"), tabsOf("mainTabs"),
          at("changeButton_1")}) {
        QVERIFY(step > last);
        last = step;
    }

    // A numeric item: Space opens the entry dialog, typed digits and Enter write them. The button
    // says which item it changes.
    QVERIFY(tabTo(QStringLiteral("changeButton_9")));
    QCOMPARE(focus()->accessibleName(), QStringLiteral("Alarm 1 value setting: Change"));
    operateModal([] { press(Qt::Key_Space); },
                 [](QWidget *dialog) {
                     for (Qt::Key key : {Qt::Key_4, Qt::Key_2, Qt::Key_Return})
                         QTest::keyClick(inFocus(dialog), key);
                 });
    QTRY_COMPARE_WITH_TIMEOUT(rig.text("alarm1Value_0"), QStringLiteral("42"), 10000);
    backTo(*rig.window);
    const quint16 alarm1Value = quint16(RegisterMap::modbusAddress(19).toUInt(nullptr, 16));
    QCOMPARE(rig.sim->value(alarm1Value), qint16(42));

    // A choice item, opened with Enter: the arrow keys move the choice, Enter takes it. The
    // keyboard comes back to the window when the dialog closes, also where the window manager
    // leaves it nowhere.
    QVERIFY(tabTo(QStringLiteral("changeButton_26")));
    const qint16 typeBefore = rig.shared().setting(36);
    rig.op.answers = {true}; // the settings a new alarm type resets
    operateModal([] { press(Qt::Key_Return); },
                 [](QWidget *dialog) {
                     QTest::keyClick(inFocus(dialog), Qt::Key_Down);
                     QTest::keyClick(inFocus(dialog), Qt::Key_Return);
                 });
    QTRY_VERIFY_WITH_TIMEOUT(rig.shared().setting(36) != typeBefore, 10000);
    QTRY_COMPARE(QApplication::activeWindow(), rig.window.get());
    QCOMPARE(focus()->objectName(), QStringLiteral("changeButton_26"));

    // The frame's lock button says what Space did.
    QVERIFY(tabTo(QStringLiteral("groupLockButton_0")));
    press(Qt::Key_Space);
    QCOMPARE(rig.button(QStringLiteral("groupLockButton_0"))->text(), QStringLiteral("Unlock"));
    QVERIFY(!rig.button(QStringLiteral("changeButton_9"))->isEnabled());
    press(Qt::Key_Space);
    QVERIFY(rig.button(QStringLiteral("changeButton_9"))->isEnabled());

    // Online > Trace starts and stops a trace.
    menuCommand(*rig.window, Qt::Key_O, Qt::Key_T);
    QTRY_VERIFY(rig.window->isTracing());
    backTo(*rig.window);
    menuCommand(*rig.window, Qt::Key_O, Qt::Key_T);
    QTRY_VERIFY(!rig.window->isTracing());
    backTo(*rig.window);

    // On the Trace display Enter on Start starts a run and hands the focus to Stop, whose Enter
    // stops it; the trace selection opens on its first choice and gives the focus back.
    rig.window->findChild<QTabWidget *>("mainTabs")->setCurrentIndex(1);
    const auto focusIs = [](const char *name) {
        return focus() != nullptr && focus()->objectName() == QLatin1String(name);
    };
    QVERIFY(tabTo(QStringLiteral("runButton")));
    press(Qt::Key_Return);
    QTRY_VERIFY(rig.window->isTracing());
    QVERIFY(focusIs("stopButton"));
    press(Qt::Key_Return);
    QTRY_VERIFY(!rig.window->isTracing());
    QVERIFY(focusIs("runButton"));
    QVERIFY(tabTo(QStringLiteral("channelSelectButton")));
    press(Qt::Key_Return);
    QVERIFY(focusIs("channelButton_0"));
    QVERIFY(tabTo(QStringLiteral("channelSelectDoneButton")));
    press(Qt::Key_Return);
    QVERIFY(focusIs("channelSelectButton"));

    // The write journal, a window of its own, closes with Esc.
    menuCommand(*rig.window, Qt::Key_F, Qt::Key_J);
    QWidget *journal = nullptr;
    QTRY_VERIFY((journal = QApplication::activeWindow()) != rig.window.get());
    QTest::keyClick(journal, Qt::Key_Escape);
    QTRY_VERIFY(!journal->isVisible());
    backTo(*rig.window);

    // Communication > Line traffic lists what went over the line; Tab reaches each of its
    // controls, Space pauses, Ctrl+C copies the focused row, Esc closes it.
    for (const TrafficRecord &record : TrafficSamples::line())
        rig.window->core().traffic.record(record);
    menuCommand(*rig.window, Qt::Key_C, Qt::Key_L);
    QWidget *traffic = nullptr;
    QTRY_VERIFY((traffic = QApplication::activeWindow()) != rig.window.get());
    auto *exchanges = traffic->findChild<QTableView *>(QStringLiteral("exchanges"));
    QTRY_VERIFY(exchanges->model()->rowCount() > 0);
    traffic->findChild<QWidget *>(QStringLiteral("verdictFilter"))->setFocus();
    const QList<QWidget *> trafficRound = tabRound();
    for (const char *control :
         {"verdictFilter", "stationFilter", "itemFilter", "pauseBox", "saveButton", "exchanges",
          "counters", "resetButton", "closeButton"})
        QVERIFY2(trafficRound.contains(traffic->findChild<QWidget *>(QLatin1String(control))),
                 control);
    QVERIFY(tabTo(QStringLiteral("pauseBox")));
    press(Qt::Key_Space);
    QVERIFY(traffic->findChild<QCheckBox *>(QStringLiteral("pauseBox"))->isChecked());
    QVERIFY(tabTo(QStringLiteral("exchanges")));
    press(Qt::Key_Down);
    press(Qt::Key_C, Qt::ControlModifier);
    const QStringList copied = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
    QVERIFY(copied.size() == 3 && copied[0].startsWith(QLatin1String("Time\t")));
    QTest::keyClick(traffic, Qt::Key_Escape);
    QTRY_VERIFY(!traffic->isVisible());
}

// Within each menu, every command has its own access key.
void TestKeyboard::accessKeysAreUnique()
{
    for (const Language language : {Language::English, Language::Japanese}) {
        WindowRig rig;
        MessageTable::instance().setLanguage(language);
        QVERIFY(rig.startSimulator());
        rig.buildWindow();
        QStringList menuKeys;
        for (QMenu *menu : rig.window->menuBar()->findChildren<QMenu *>()) {
            QStringList keys;
            for (QAction *action : menu->actions()) {
                const QKeySequence key = QKeySequence::mnemonic(action->text());
                if (action->isSeparator() || key.isEmpty())
                    continue;
                QVERIFY2(!keys.contains(key.toString()), qPrintable(action->text()));
                keys << key.toString();
            }
            menuKeys << QKeySequence::mnemonic(menu->title()).toString();
        }
        QCOMPARE(QSet<QString>(menuKeys.begin(), menuKeys.end()).size(), menuKeys.size());
    }
    MessageTable::instance().setLanguage(Language::English);
}

void TestKeyboard::searchCancels_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Space on the focused Cancel") << int(Qt::Key_Space);
    QTest::newRow("Esc") << int(Qt::Key_Escape);
}

// The automatic search can take many minutes: its Cancel has the focus from the start, and Space
// or Esc end the search before the next probe.
void TestKeyboard::searchCancels()
{
    QFETCH(int, key);
    WindowRig rig;
    QVERIFY(rig.startSimulator());
    SessionState stored;
    stored.stationAddress = QStringLiteral("02");
    rig.openWindow(stored);
    QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
    rig.op.answers = {true};
    QString focused;
    QStyle::State drawn;
    rig.op.onProcessEvents = [&] {
        if (!focused.isEmpty())
            return;
        focused = focus() != nullptr ? focus()->objectName() : QStringLiteral("none");
        if (focus() != nullptr) {
            QStyleOption option;
            option.initFrom(focus());
            drawn = option.state;
        }
        press(Qt::Key(key));
    };

    rig.window->runStartupLinkCheck();

    // Cancel has the focus and shows it: the style draws a focus frame for the keyboard only.
    QCOMPARE(focused, QStringLiteral("linkCheckCancel"));
    QVERIFY(drawn.testFlags(QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange));
    QVERIFY(rig.op.messages().contains(QList<int>{83}));
    QVERIFY(!rig.shared().linkVerified);
}

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
