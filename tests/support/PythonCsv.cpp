#include "PythonCsv.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>

namespace PythonCsv
{

bool available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty();
}

QList<QStringList> rows(const QString &path)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(QStringLiteral("python3")),
                  {QStringLiteral("-c"),
                   QStringLiteral("import csv, json, sys\n"
                                  "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                  "    print(json.dumps(list(csv.reader(f, strict=True))))"),
                   path});
    if (!process.waitForFinished(20000) || process.exitCode() != 0)
        return {{QString::fromUtf8(process.readAllStandardError())}};
    QList<QStringList> result;
    for (const QJsonValue &row : QJsonDocument::fromJson(process.readAllStandardOutput()).array())
        result.append(row.toVariant().toStringList());
    return result;
}

QList<QMap<QString, QString>> records(const QString &path)
{
    const QList<QStringList> all = rows(path);
    QList<QMap<QString, QString>> result;
    for (qsizetype r = 1; r < all.size(); ++r) {
        QMap<QString, QString> record;
        for (qsizetype c = 0; c < all.first().size(); ++c)
            record.insert(all.first().at(c), all.at(r).value(c));
        result.append(record);
    }
    return result;
}

} // namespace PythonCsv
