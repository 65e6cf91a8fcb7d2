#pragma once

#include "LogRotation.h"
#include "MonitorRecord.h"
#include "RowFile.h"

#include <QString>
#include <QStringList>

#include <map>

class Console;
struct CommandLine;

// Where the rows of a monitor run go: each instrument's rotation on standard output (the text
// row; with --format and no --out, CSV or JSON lines; nothing with --quiet) and, with --out, to a
// file of plain rows per instrument (the file given, or "PORT-NN.csv" / ".jsonl" in the folder
// given or for several instruments).
class MonitorRows
{
public:
    MonitorRows(const CommandLine &commandLine, Console &console);

    // Makes the folder of the files, and says why the run cannot start with them, before
    // anything is read (an existing file that --append, --force or --rotate does not cover,
    // something in a file's place that is no regular file); empty when it can.
    QString prepare(const QString &port, const QStringList &instruments);
    // The rotation's row; false after saying on standard error that its file could not be
    // written.
    bool write(const MonitorRecord &record, const QString &textRow);

private:
    QString basePath(const QString &port, int instrument) const;
    RowFile &fileOf(const MonitorRecord &record);

    const CommandLine &m_commandLine;
    Console &m_console;
    const RowFile::Format m_fileFormat;
    const bool m_severalInstruments;
    QStringList m_printedHeader;
    std::map<int, RowFile> m_files;
};
