#include "app/AboutDialog.h"
#include "app/HelpWindow.h"
#include "app/MainWindow.h"
#include "base/MessageTable.h"
#include "base/ProgramFolder.h"
#include "chart/ChartCanvas.h"
#include "chart/EventLogWindow.h"
#include "chart/TrendChart.h"
#include "chart/TrendLogWindow.h"
#include "chart/TrendLogWriter.h"
#include "comm/ControllerCodes.h"
#include "comm/RegisterMap.h"
#include "comm/SettingsStore.h"
#include "dialogs/CommSettingsDialog.h"
#include "dialogs/ComparisonDialog.h"
#include "dialogs/EntryDialog.h"
#include "dialogs/JournalWindow.h"
#include "dialogs/ModelChangeDialog.h"
#include "dialogs/NetworkServerDialog.h"
#include "dialogs/PrinterSelectionDialog.h"
#include "dialogs/ScaleEntryDialog.h"
#include "dialogs/SelectionDialog.h"
#include "dialogs/TrafficWindow.h"
#include "polling/ValueFormat.h"
#include "tests/support/OfflineWindowRig.h"
#include "tests/support/TrafficSamples.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

// What a screen reader finds in the main window, each of its pages and each dialog and window of
// its own, in English and in Japanese: every control it can operate has a name, value boxes and
// lamps say what they show.
class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { MessageTable::instance().setLanguage(Language::English); }
    void everyControlNamed_data();
    void everyControlNamed();
    void lampsAndValuesSayWhatTheyShow_data();
    void lampsAndValuesSayWhatTheyShow();
};

namespace
{
// The roles of the controls an operator works with.
const QSet<QAccessible::Role> Operable = {
    QAccessible::PushButton, QAccessible::CheckBox,      QAccessible::RadioButton,
    QAccessible::ComboBox,   QAccessible::EditableText,  QAccessible::SpinBox,
    QAccessible::Slider,     QAccessible::PageTab,       QAccessible::PageTabList,
    QAccessible::List,       QAccessible::Table,         QAccessible::Tree,
    QAccessible::ButtonMenu, QAccessible::ButtonDropDown};

// Where a part sits, for the failure message: its widget and the one above.
QString placeOf(QAccessibleInterface *part)
{
    const QObject *object = part->object();
    const QString name = object != nullptr ? object->objectName() : QString();
    return part->parent() != nullptr && part->parent()->object() != nullptr
               ? part->parent()->object()->objectName() + QLatin1Char('/') + name
               : name;
}

bool saysSomething(const QString &text)
{
    static const QRegularExpression word(QStringLiteral("[\\p{L}\\p{N}]"));
    return text.contains(word);
}

// A choice box, whose name Qt takes from its current choice on Linux, is named by the label or the
// frame that labels it.
bool labelled(QAccessibleInterface *part)
{
    const auto labels = part->relations(QAccessible::Label);
    return std::any_of(labels.begin(), labels.end(), [](const auto &label) {
        return label.first != nullptr && saysSomething(label.first->text(QAccessible::Name));
    });
}

// The names of the controls a screen reader can reach under part (shown ones only), and those
// with no name: none at all, or one without a letter or a digit ("...", "<<").
void collectNames(QAccessibleInterface *part, QStringList &named, QStringList &unnamed,
                  int depth = 0)
{
    if (part == nullptr || depth > 64 || part->state().invisible)
        return;
    const QString name = part->text(QAccessible::Name);
    if (Operable.contains(part->role())) {
        if (part->role() == QAccessible::ComboBox ? labelled(part) : saysSomething(name))
            named << name;
        else
            unnamed << QStringLiteral("%1 (role %2, \"%3\")")
                           .arg(placeOf(part))
                           .arg(int(part->role()))
                           .arg(name);
    }
    for (int i = 0; i < part->childCount(); ++i)
        collectNames(part->child(i), named, unnamed, depth + 1);
}

QStringList unnamedIn(QWidget *window, QStringList *named = nullptr)
{
    QStringList names, unnamed;
    collectNames(QAccessible::queryAccessibleInterface(window), names, unnamed);
    if (named != nullptr)
        *named += names;
    return unnamed;
}

QString nameOf(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Each window a row opens over the main window.
using Opener = std::function<std::unique_ptr<QWidget>(OfflineWindowRig &)>;

std::unique_ptr<QWidget> trendLogViewer(OfflineWindowRig &rig)
{
    const QString path = rig.dir.filePath(QStringLiteral("run.csv"));
    {
        TrendLogWriter writer(path, {true, true, true, false});
        const QDateTime start(QDate(2026, 7, 4), QTime(10, 0, 0));
        for (int i = 0; i < 5; ++i)
            writer.write({start.addSecs(i), QStringLiteral("20.0"), QStringLiteral("30.0"),
                          QStringLiteral("50.0"), QString()});
    }
    QString error;
    return TrendLogWindow::open(path, {}, QStringLiteral("COM1"), error);
}

QMap<QString, Opener> openers()
{
    return {
        {QStringLiteral("communication settings"),
         [](OfflineWindowRig &rig) {
             return std::make_unique<CommSettingsDialog>(rig.context(), *rig.store);
         }},
        {QStringLiteral("network serial server"),
         [](OfflineWindowRig &) {
             return std::make_unique<NetworkServerDialog>(QStringLiteral("tcp://plc:4001"), 200);
         }},
        {QStringLiteral("entry"),
         [](OfflineWindowRig &rig) {
             return std::make_unique<EntryDialog>(
                 rig.context(), *SettingRanges::entryRange(rig.shared(), Code::MainSetValue,
                                                           formatItemValue(rig.shared(), 11)));
         }},
        {QStringLiteral("selection"),
         [](OfflineWindowRig &rig) {
             return std::make_unique<SelectionDialog>(rig.context(), Code::InputType);
         }},
        {QStringLiteral("model change"),
         [](OfflineWindowRig &rig) { return std::make_unique<ModelChangeDialog>(rig.context()); }},
        {QStringLiteral("printer selection"),
         [](OfflineWindowRig &rig) {
             return std::make_unique<PrinterSelectionDialog>(
                 rig.context(), QStringList{QStringLiteral("Office laser")},
                 QStringLiteral("Office laser"), QString());
         }},
        {QStringLiteral("chart scale"),
         [](OfflineWindowRig &rig) {
             return std::make_unique<ScaleEntryDialog>(rig.op, ScaleEntry::YHigh,
                                                       QStringLiteral("400"), 400, 0);
         }},
        {QStringLiteral("comparison"),
         [](OfflineWindowRig &) {
             return std::make_unique<ComparisonDialog>(
                 QList<SettingDifference>{
                     {13, QStringLiteral("P"), QStringLiteral("3.0"), QStringLiteral("4.0")}},
                 nullptr);
         }},
        {QStringLiteral("write journal"),
         [](OfflineWindowRig &rig) {
             return std::make_unique<JournalWindow>(rig.window->core().journal);
         }},
        {QStringLiteral("event log"),
         [](OfflineWindowRig &rig) {
             return std::make_unique<EventLogWindow>(rig.dir.filePath(QStringLiteral("e.csv")));
         }},
        {QStringLiteral("trend log viewer"), trendLogViewer},
        {QStringLiteral("line traffic"),
         [](OfflineWindowRig &rig) {
             for (const TrafficRecord &record : TrafficSamples::line())
                 rig.window->core().traffic.record(record);
             return std::make_unique<TrafficWindow>(rig.window->core().traffic, rig.shared());
         }},
        {QStringLiteral("help"), [](OfflineWindowRig &) { return std::make_unique<HelpWindow>(); }},
        {QStringLiteral("version"),
         [](OfflineWindowRig &rig) { return std::make_unique<AboutDialog>(rig.dir.path()); }},
    };
}
} // namespace

void TestAccessibility::everyControlNamed_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("language");
    QStringList windows{QStringLiteral("main window")};
    windows += openers().keys();
    for (const QString &window : windows) {
        for (const Language language : {Language::English, Language::Japanese}) {
            const char *suffix = language == Language::English ? "English" : "Japanese";
            QTest::addRow("%s, %s", qPrintable(window), suffix) << window << int(language);
        }
    }
}

void TestAccessibility::everyControlNamed()
{
    QFETCH(QString, window);
    QFETCH(int, language);
    OfflineWindowRig rig{Language(language)};
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    QStringList unnamed, named;
    if (window == QLatin1String("main window")) {
        // Each page of each tab control in turn, the Trace page with its selection open, and the
        // search panel over the main display.
        auto *mainTabs = rig.window->findChild<QTabWidget *>(QStringLiteral("mainTabs"));
        auto *settingTabs = rig.window->findChild<QTabWidget *>(QStringLiteral("settingTabs"));
        for (int page = 0; page < settingTabs->count(); ++page) {
            settingTabs->setCurrentIndex(page);
            settle();
            unnamed += unnamedIn(rig.window.get(), &named);
        }
        rig.window->setLinkCheckState(LinkCheckState::Searching);
        rig.window->showSearchProgress({"COM3", "19200", "Modbus RTU", "37", 4000, 1200});
        settle();
        unnamed += unnamedIn(rig.window.get(), &named);
        rig.window->setLinkCheckState(LinkCheckState::Idle);
        mainTabs->setCurrentIndex(1);
        rig.window->findChild<QPushButton *>(QStringLiteral("channelSelectButton"))->click();
        settle();
        unnamed += unnamedIn(rig.window.get(), &named);
        // The walk reached the rows of the pages and the Trace page's controls.
        for (const QString &reached :
             {rig.window->findChild<QWidget *>(QStringLiteral("changeButton_26"))->accessibleName(),
              msg(661) + QStringLiteral(": ") + msg(31)})
            QVERIFY2(named.contains(reached), qPrintable(reached));
    } else {
        const std::unique_ptr<QWidget> opened = openers().value(window)(rig);
        QVERIFY(opened != nullptr);
        opened->show();
        QVERIFY(QTest::qWaitForWindowExposed(opened.get()));
        settle();
        unnamed = unnamedIn(opened.get());
    }
    unnamed.removeDuplicates();
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
}

void TestAccessibility::lampsAndValuesSayWhatTheyShow_data()
{
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("alarmOn");
    QTest::addColumn<QString>("alarmOff");
    QTest::addColumn<QString>("pv");
    QTest::newRow("English") << int(Language::English) << QStringLiteral("EVT1 lamp (alarm 1): on")
                             << QStringLiteral("EVT1 lamp (alarm 1): off")
                             << QStringLiteral("PV: 1234 deg.C");
    QTest::newRow("Japanese") << int(Language::Japanese)
                              << QStringLiteral("EVT1 ランプ (警報1): 点灯")
                              << QStringLiteral("EVT1 ランプ (警報1): 消灯")
                              << QStringLiteral("PV: 1234 ℃");
}

void TestAccessibility::lampsAndValuesSayWhatTheyShow()
{
    QFETCH(int, language);
    QFETCH(QString, alarmOn);
    QFETCH(QString, alarmOff);
    QFETCH(QString, pv);
    OfflineWindowRig rig{Language(language)};
    QVERIFY(QTest::qWaitForWindowExposed(rig.window.get()));
    SessionState &shared = rig.shared();
    auto *lamp = rig.window->findChild<QLabel *>(QStringLiteral("alarmLamp_0"));
    auto *pvBox = rig.window->findChild<QLabel *>(QStringLiteral("pvValue"));

    shared.monitorValues[0] = 1234;
    shared.monitorValues[4] = qint16(StatusBit::Alarm1);
    rig.window->refreshMonitor();
    QCOMPARE(nameOf(lamp), alarmOn);
    QCOMPARE(nameOf(pvBox), pv);

    // Going off: the name a screen reader announces on the change says so. (Qt sends the change
    // event itself; the offscreen platform has no screen reader to receive it.)
    shared.monitorValues[4] = 0;
    rig.window->refreshMonitor();
    QCOMPARE(nameOf(lamp), alarmOff);

    // The chart says what it plots, on what scale.
    QWidget *canvas = rig.window->findChild<ChartCanvas *>();
    QCOMPARE(nameOf(canvas), msg(1313));
    const QString plotted =
        QAccessible::queryAccessibleInterface(canvas)->text(QAccessible::Description);
    QVERIFY2(plotted.contains(QStringLiteral("PV")) && plotted.contains(QStringLiteral("400")),
             qPrintable(plotted));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
