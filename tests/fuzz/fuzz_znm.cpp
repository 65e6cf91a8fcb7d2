// The settings data file reader. Input: the bytes of a .znm file. A file is taken whole or not at
// all: a refused one names a line of the file; one that reads must read the same with anything
// after its last line, must be refused as missing the next line when cut after any whole line, and
// the program's own file of what it read must read back to the same values.

#include "base/SessionState.h"
#include "transfer/SettingsDataFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace
{

void require(bool ok, const char *what)
{
    if (ok)
        return;
    std::fprintf(stderr, "property failed: %s\n", what);
    std::abort();
}

// A scratch file in a folder removed when the run ends.
const QString &filePath()
{
    static const QTemporaryDir folder;
    static const QString path = folder.filePath(QStringLiteral("fuzz.znm"));
    return path;
}

SettingsDataFile::ReadResult readResult(const QByteArray &bytes)
{
    QFile file(filePath());
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(bytes) == bytes.size(),
            "scratch file written");
    file.close();
    return SettingsDataFile::read(filePath());
}

bool readBytes(const QByteArray &bytes, SessionState &shared)
{
    const SettingsDataFile::ReadResult result = readResult(bytes);
    if (!result.ok())
        return false;
    SettingsDataFile::take(result.contents, shared);
    return true;
}

bool sameValues(const SessionState &a, const SessionState &b)
{
    return a.modelName == b.modelName && a.formatMarker == b.formatMarker &&
           a.unitConfig == b.unitConfig && a.settingValues == b.settingValues;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const SettingsDataFile::ReadResult result = readResult(bytes);
    if (!result.ok()) {
        require(result.line >= 1 && result.line <= SettingsDataFile::LineCount,
                "a refused file names one of its lines");
        return 0;
    }
    SessionState first;
    SettingsDataFile::take(result.contents, first);

    // Cut after one of its lines (which one follows from the input), the file lacks the next.
    const int kept = int(size % SettingsDataFile::LineCount);
    qsizetype cut = 0;
    for (int line = 0; line < kept; ++line)
        cut = bytes.indexOf('\n', cut) + 1;
    const SettingsDataFile::ReadResult shortened = readResult(bytes.left(cut));
    require(shortened.fault == SettingsDataFile::Fault::Missing && shortened.line == kept + 1,
            "a file cut short is refused at the first missing line");

    SessionState extended;
    require(readBytes(bytes + "\r\n\"ZN8P\"\r\n-1 trailing junk\n", extended) &&
                sameValues(first, extended),
            "lines after the last are not read");

    // The program writes its own model name and format marker; the values must come back.
    SessionState again;
    require(readBytes(SettingsDataFile::compose(first), again) &&
                again.unitConfig == first.unitConfig && again.settingValues == first.settingValues,
            "the program's own file reads back the same");
    return 0;
}
