#include "dialogs/TenKeyEntry.h"
#include "tests/support/DataRows.h"

#include <QtTest>

// The ten-key entry both entry dialogs share, driven through the keyboard's key map: what each
// key does to the working value and what the entry box shows after it. What is typed is the value
// in the item's units, with or without a point.
class TestTenKeyEntry : public QObject
{
    Q_OBJECT

private slots:
    void typing_data();
    void typing();
};

namespace
{
// Keys: a digit, '.', '-', 'b' Backspace, 'E' Enter, 'x' a letter.
struct TypingRow {
    const char *name;
    int places; // -1: cannot be told
    const char *keys;
    const char *shown; // the entry box after each key, '|' between; '~' keeps the previous text
    int value;         // raw value afterwards at places (0 when unknown)
    bool fine = true;  // false: more decimals than places
};
const TypingRow typingRows[] = {
    {"digits are the value, one place", 1, "150", "1|15|150", 1500},
    {"digits are the value, two places", 2, "1234", "1|12|123|1234", 123400},
    {"leading zero vanishes", 0, "05", "0|5", 5},
    {"minus on empty, then negated", 0, "-5-", "0|5|-5", -5},
    {"seventh character ignored", 0, "1234567", "1|12|123|1234|12345|123456|123456", 123456},
    {"the sign counts", 0, "12345-6", "1|12|123|1234|12345|-12345|-12345", -12345},
    {"Backspace clears the whole entry", 1, "12b34", "1|12||3|34", 340},
    {"point", 1, "2.5", "2|2.|2.5", 25},
    {"point first", 1, ".5", "0.|0.5", 5},
    {"second point ignored", 1, "2..5", "2|2.|2.|2.5", 25},
    {"trailing zero", 1, "2.50", "2|2.|2.5|2.50", 25},
    {"point after a zero", 2, "0.05", "0|0.|0.0|0.05", 5},
    {"negative fraction", 1, "-.5-", "0|0.|0.5|-0.5", -5},
    {"point, then minus", 1, "3.5-", "3|3.|3.5|-3.5", -35},
    {"point on a whole number", 0, "25.", "2|25|25.", 25},
    {"decimal on a whole number", 0, "2.5", "2|2.|2.5", 0, false},
    {"places unknown: point ignored", -1, "1.2", "~|~|~", 12},
    {"Enter and other keys change nothing", 1, "5Ex", "5|5|5", 50},
};
} // namespace

void TestTenKeyEntry::typing_data()
{
    addRows(typingRows);
}

void TestTenKeyEntry::typing()
{
    const TypingRow &r = fetchRow(typingRows);
    const std::optional<int> places = r.places < 0 ? std::nullopt : std::optional<int>(r.places);
    TenKeyEntry entry;
    QStringList shown;
    for (const char c : QByteArray(r.keys)) {
        const int qtKey = c == 'b'   ? int(Qt::Key_Backspace)
                          : c == 'E' ? int(Qt::Key_Return)
                                     : QChar(c).toUpper().unicode();
        const std::optional<TenKey> key = TenKey::fromKeyboard(qtKey);
        QVERIFY(key);
        entry.edit(*key, places);
        shown.append(entry.displayText(places).value_or(QStringLiteral("~")));
    }
    QCOMPARE(shown.join(QLatin1Char('|')), QLatin1String(r.shown));
    const std::optional<int> value = entry.value(places.value_or(0));
    QCOMPARE(bool(value), r.fine);
    QCOMPARE(value.value_or(0), r.value);
    // Escape is the dialog's: it closes it.
    QVERIFY(!TenKey::fromKeyboard(Qt::Key_Escape));
}

QTEST_MAIN(TestTenKeyEntry)
#include "tst_tenkeyentry.moc"
