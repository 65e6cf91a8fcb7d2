#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A CSV file as a plant script reads it: Python's csv module, strict. Rows as lists of fields,
// the header first.
namespace PythonCsv
{
// False when python3 is not installed (the caller skips).
bool available();
// The rows; one row holding Python's error when the file does not read.
QList<QStringList> rows(const QString &path);
// The rows after the header as maps of column name to field.
QList<QMap<QString, QString>> records(const QString &path);
} // namespace PythonCsv
