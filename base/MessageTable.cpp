#include "MessageTable.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QtGlobal>

#include <algorithm>

namespace
{
const QString spacerText = QStringLiteral("*");

Language systemLanguage()
{
    const QStringList ui = QLocale::system().uiLanguages();
    if (!ui.isEmpty() && ui.first().startsWith(QLatin1String("ja"), Qt::CaseInsensitive))
        return Language::Japanese;
    return Language::English;
}

bool isDecimal(const QByteArray &field)
{
    return !field.isEmpty() && field.size() <= 5 &&
           std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}
} // namespace

// The table lives in the static core library, whose resource a program registers only when some
// code names it; this must stand outside any namespace.
static void initMessageResource()
{
    Q_INIT_RESOURCE(messages);
}

MessageTable &MessageTable::instance()
{
    static MessageTable table;
    return table;
}

MessageTable::MessageTable() : m_language(systemLanguage())
{
    initMessageResource();
    QFile file(QStringLiteral(":/messages.tsv"));
    QString error;
    if (!file.open(QIODevice::ReadOnly))
        error = QStringLiteral("resource :/messages.tsv is missing");
    else if (!parse(file.readAll(), m_rows, &error))
        m_rows.clear();
    if (!error.isEmpty()) {
#ifdef NDEBUG
        qCritical("message table: %s", qPrintable(error));
#else
        qFatal("message table: %s", qPrintable(error));
#endif
    }
}

QString MessageTable::text(int number) const
{
    return text(number, m_language);
}

QString MessageTable::text(int number, Language language) const
{
    const auto it = m_rows.constFind(number);
    if (it == m_rows.constEnd()) {
#ifdef NDEBUG
        qCritical("message %d is not in the message table", number);
        return spacerText;
#else
        qFatal("message %d is not in the message table", number);
#endif
    }
    return language == Language::Japanese ? it->second : it->first;
}

bool MessageTable::contains(int number) const
{
    return m_rows.contains(number);
}

QList<int> MessageTable::numbers() const
{
    QList<int> result = m_rows.keys();
    std::sort(result.begin(), result.end());
    return result;
}

Language MessageTable::language() const
{
    return m_language;
}

void MessageTable::setLanguage(Language language)
{
    m_language = language;
}

bool MessageTable::parse(const QByteArray &tsv, QHash<int, QPair<QString, QString>> &rows,
                         QString *error)
{
    QList<QByteArray> lines = tsv.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the newline that ends the last row
    QHash<int, QPair<QString, QString>> parsed;
    auto fail = [error](int line, const QString &why) {
        if (error)
            *error = QStringLiteral("line %1: %2").arg(line).arg(why);
        return false;
    };
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (line.endsWith('\r'))
            line.chop(1);
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() != 3)
            return fail(
                i + 1,
                QStringLiteral("expected 3 tab-separated fields, found %1").arg(fields.size()));
        const int number = isDecimal(fields.at(0)) ? fields.at(0).toInt() : -1;
        if (number < 0 || number > 32767)
            return fail(i + 1, QStringLiteral("\"%1\" is not a message number")
                                   .arg(QString::fromUtf8(fields.at(0))));
        if (parsed.contains(number))
            return fail(i + 1, QStringLiteral("message %1 appears twice").arg(number));
        if (fields.at(1).isEmpty() || fields.at(2).isEmpty())
            return fail(i + 1, QStringLiteral("message %1 has an empty text").arg(number));
        parsed.insert(number, {QString::fromUtf8(fields.at(1)), QString::fromUtf8(fields.at(2))});
    }
    rows = parsed;
    return true;
}

QString msg(int number)
{
    return MessageTable::instance().text(number);
}

QString msgLines(int number)
{
    // After a full stop and its blanks ("20.0A" has no blank and stays whole).
    static const QRegularExpression sentenceEnd(
        QStringLiteral("(?<=\u3002)\\s*(?=\\S)|(?<=\\.)\\s+(?=\\S)"));
    return msg(number).trimmed().replace(sentenceEnd, QStringLiteral("\n"));
}
