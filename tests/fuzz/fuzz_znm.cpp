// The settings data file reader. Input: the bytes of a .znm file. A file that reads must read the
// same with anything after its last line, and the program's own file of what it read must read
// back to the same values.

#include "app/SettingsDataFile.h"
#include "app/ZN8P_INC.h"

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

bool readBytes(const QByteArray &bytes, ZN8P_INC &inc)
{
    QFile file(filePath());
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(bytes) == bytes.size(),
            "scratch file written");
    file.close();
    return SettingsDataFile::read(filePath(), inc);
}

bool sameValues(const ZN8P_INC &a, const ZN8P_INC &b)
{
    return a.modelName == b.modelName && a.formatMarker == b.formatMarker &&
           a.unitConfig == b.unitConfig && a.settingValues == b.settingValues;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    ZN8P_INC first;
    if (!readBytes(bytes, first))
        return 0;

    ZN8P_INC extended;
    require(readBytes(bytes + "\r\n\"ZN8P\"\r\n-1 trailing junk\n", extended) &&
                sameValues(first, extended),
            "lines after the last are not read");

    // The program writes its own model name and format marker; the values must come back.
    ZN8P_INC again;
    require(readBytes(SettingsDataFile::compose(first), again) &&
                again.unitConfig == first.unitConfig && again.settingValues == first.settingValues,
            "the program's own file reads back the same");
    return 0;
}
