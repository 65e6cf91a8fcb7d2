#include "OptionsFile.h"

#include <QFile>
#include <QRegularExpression>

namespace OptionsFile
{

namespace
{
// An options file is a few dozen lines; a stray huge file costs no more than this.
constexpr qint64 LargestFile = 64 * 1024;
} // namespace

bool read(const QString &path, QList<Option> &options, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error =
            QStringLiteral("cannot read the options file %1 (%2)").arg(path, file.errorString());
        return false;
    }
    if (file.size() > LargestFile) {
        *error = QStringLiteral("the options file %1 is longer than %2 bytes")
                     .arg(path)
                     .arg(LargestFile);
        return false;
    }
    static const QRegularExpression form(
        QStringLiteral("^(?:--)?([a-z][a-z0-9-]*)\\s*(?:=\\s*(.*))?$"));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (int number = 1; number <= lines.size(); ++number) {
        const QString text = lines.at(number - 1).trimmed();
        if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
            continue;
        const QRegularExpressionMatch match = form.match(text);
        if (!match.hasMatch()) {
            *error = QStringLiteral("%1 line %2: expected \"name = value\" or a name alone, not "
                                    "'%3'")
                         .arg(path)
                         .arg(number)
                         .arg(text);
            return false;
        }
        QString value = match.captured(2).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) &&
            value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        options.append({match.captured(1), value, match.capturedStart(2) >= 0, number});
    }
    return true;
}

} // namespace OptionsFile
