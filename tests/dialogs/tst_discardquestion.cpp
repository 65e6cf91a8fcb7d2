#include "dialogs/CommSettingsDialog.h"
#include "dialogs/EntryDialog.h"
#include "dialogs/ModelChangeDialog.h"
#include "polling/ValueFormat.h"
#include "tests/support/OfflineWindowRig.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// A dialog holding the operator's unsaved edits asks before Esc or its close box discards them;
// one without edits closes at once, and its Cancel button never asks.
class TestDiscardQuestion : public QObject
{
    Q_OBJECT

private slots:
    void closing_data();
    void closing();
};

namespace
{
constexpr int DiscardChanges = 1320;

std::unique_ptr<QDialog> open(const QString &dialog, OfflineWindowRig &rig)
{
    SessionState &shared = rig.shared();
    if (dialog == QLatin1String("entry")) {
        return std::make_unique<EntryDialog>(
            rig.context(),
            *SettingRanges::entryRange(shared, Code::MainSetValue, formatItemValue(shared, 11)));
    }
    if (dialog == QLatin1String("communication settings"))
        return std::make_unique<CommSettingsDialog>(rig.context(), *rig.store);
    return std::make_unique<ModelChangeDialog>(rig.context());
}

// What the operator changes in each dialog: digits typed, another speed, another option.
void edit(QDialog &dialog)
{
    if (auto *entry = dialog.findChild<QLineEdit *>(QStringLiteral("entryText"))) {
        QTest::keyClicks(entry, QStringLiteral("15"));
        return;
    }
    for (const char *prefix : {"speed", "newOptionChoice1_"}) {
        for (QRadioButton *option : dialog.findChildren<QRadioButton *>()) {
            if (option->objectName().startsWith(QLatin1String(prefix)) && !option->isChecked() &&
                option->isEnabled()) {
                option->click();
                return;
            }
        }
    }
    QFAIL("nothing to edit");
}
} // namespace

void TestDiscardQuestion::closing_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<bool>("edited");
    QTest::addColumn<QString>("how"); // "Esc", "close box" or "Cancel"
    QTest::addColumn<int>("answer");  // -1: no question expected; 0 No; 1 Yes
    QTest::addColumn<bool>("closed");
    for (const char *dialog : {"entry", "communication settings", "model change"}) {
        QTest::addRow("%s, nothing changed, Esc", dialog) << dialog << false << "Esc" << -1 << true;
        QTest::addRow("%s, changed, Esc, kept", dialog) << dialog << true << "Esc" << 0 << false;
        QTest::addRow("%s, changed, Esc, discarded", dialog)
            << dialog << true << "Esc" << 1 << true;
        QTest::addRow("%s, changed, close box, kept", dialog)
            << dialog << true << "close box" << 0 << false;
        QTest::addRow("%s, changed, Cancel", dialog) << dialog << true << "Cancel" << -1 << true;
    }
}

void TestDiscardQuestion::closing()
{
    QFETCH(QString, dialog);
    QFETCH(bool, edited);
    QFETCH(QString, how);
    QFETCH(int, answer);
    QFETCH(bool, closed);
    OfflineWindowRig rig{Language::English};
    const std::unique_ptr<QDialog> shown = open(dialog, rig);
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    if (edited)
        edit(*shown);
    if (answer >= 0)
        rig.op.answers = {answer == 1};

    if (how == QLatin1String("Esc")) {
        QWidget *focus = shown->focusWidget();
        QTest::keyClick(focus != nullptr ? focus : shown.get(), Qt::Key_Escape);
    } else if (how == QLatin1String("close box")) {
        shown->close();
    } else {
        const QList<QPushButton *> buttons = shown->findChildren<QPushButton *>();
        for (QPushButton *button : buttons) {
            if (button->text() == msg(30))
                button->click();
        }
    }

    QCOMPARE(!shown->isVisible(), closed);
    QCOMPARE(shown->result(), int(QDialog::Rejected));
    const int asked = int(
        std::count_if(rig.op.shown.begin(), rig.op.shown.end(), [](const FakeOperator::Shown &s) {
            return s.question && s.ids == QList<int>{DiscardChanges};
        }));
    QCOMPARE(asked, answer >= 0 ? 1 : 0);
    QVERIFY(rig.op.unexpectedQuestions.isEmpty());
}

QTEST_MAIN(TestDiscardQuestion)
#include "tst_discardquestion.moc"
