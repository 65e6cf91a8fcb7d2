// The chart settings file reader. Input: the bytes of ZN8P7.DAT, the file that has the last word on
// the chart's shared settings. The reader must take every byte the records hold and nothing else,
// the start-up load must read the file as the reader does (scales the scale dialog would refuse put
// back to their defaults), and the scale the chart then draws must stay on the canvas whatever the
// file says.

#include "base/SessionState.h"
#include "chart/ChartModel.h"
#include "chart/ChartSettingsFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <cmath>
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

// Every byte of the 44-byte layout but the unused upper halves of the 16-bit records 6 to 11.
bool isRecordByte(int at)
{
    return at < 20 || at % 4 < 2;
}

// The seven files in a folder removed when the run ends.
ChartSettingsFiles &files()
{
    static const QTemporaryDir folder;
    static ChartSettingsFiles files(folder.path());
    return files;
}

void checkScale(const SessionState &shared)
{
    ChartModel model;
    model.divisionsText = QString::number(shared.chartDivisions);
    model.longBase = shared.chartLongScale != 0;
    model.cycleText = QString::number(shared.chartCycleSeconds);
    model.yHighText = QString::number(shared.chartScaleHigh);
    model.yLowText = QString::number(shared.chartScaleLow);
    const ChartScaleLayout layout = model.layoutScale();
    require(model.sampleIntervalMs >= 0, "a timer interval");
    int above = 0;
    for (int y : layout.gridY) {
        require(y > above && y < ChartModel::Height, "grid lines down the canvas");
        above = y;
    }
    for (double value : {double(shared.chartScaleHigh), double(shared.chartScaleLow), 0.0, 1e9}) {
        const double y = model.heightOf(value);
        require(std::isfinite(y) && y >= 0 && y < ChartModel::Height, "a height on the canvas");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const std::optional<ChartRecords> records = ChartRecords::fromBytes(bytes);
    require(records.has_value() == (bytes.size() >= 42), "a file of 42 bytes or more reads");
    if (records) {
        const QByteArray written = records->toBytes();
        for (int at = 0; at < 44; ++at)
            require(written[at] == (isRecordByte(at) && at < bytes.size() ? bytes[at] : '\0'),
                    "record bytes");
    }

    QFile file(files().filePath(6));
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                file.write(bytes) == bytes.size(),
            "scratch file written");
    file.close();
    SessionState shared;
    files().load(shared);
    // Scales the scale dialog would refuse come back as their defaults.
    ChartRecords expected = records.value_or(ChartRecords::defaults(6));
    expected.repair();
    require(
        shared.traceColors[6] == expected.colour && shared.chartCycleSeconds == expected.cycle &&
            shared.chartLongScale == expected.longScale && shared.chartScaleHigh == expected.high &&
            shared.chartScaleLow == expected.low && shared.chartDivisions == expected.divisions,
        "the load reads the file as the reader does");
    checkScale(shared);
    return 0;
}
