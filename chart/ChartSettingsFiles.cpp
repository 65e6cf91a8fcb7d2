#include "ChartSettingsFiles.h"

#include "base/ChartState.h"
#include "base/WholeFileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace
{
constexpr int RecordSize = 4;
constexpr int FullLength = 11 * RecordSize;
// The last record's unused half may be left off.
constexpr int ShortLength = FullLength - 2;

template <typename T> T recordAt(const QByteArray &bytes, int record)
{
    return qFromLittleEndian<T>(bytes.constData() + (record - 1) * RecordSize);
}

template <typename T> void putRecord(QByteArray &bytes, int record, T value)
{
    qToLittleEndian<T>(value, bytes.data() + (record - 1) * RecordSize);
}
} // namespace

ChartRecords ChartRecords::defaults(int channel)
{
    ChartRecords records;
    records.colour = ChartChannels::info(channel).defaultColour;
    return records;
}

QByteArray ChartRecords::toBytes() const
{
    QByteArray bytes(FullLength, '\0');
    putRecord<qint32>(bytes, 1, colour);
    putRecord<qint32>(bytes, 2, longScale);
    putRecord<qint32>(bytes, 3, cycle);
    putRecord<qint32>(bytes, 4, high);
    putRecord<qint32>(bytes, 5, low);
    putRecord<qint16>(bytes, 6, flag);
    putRecord<qint16>(bytes, 7, running);
    putRecord<qint16>(bytes, 8, reserved8);
    putRecord<qint16>(bytes, 9, reserved9);
    putRecord<qint16>(bytes, 10, reserved10);
    putRecord<qint16>(bytes, 11, divisions);
    return bytes;
}

std::optional<ChartRecords> ChartRecords::fromBytes(const QByteArray &bytes)
{
    if (bytes.size() < ShortLength)
        return std::nullopt;
    ChartRecords records;
    records.colour = recordAt<qint32>(bytes, 1);
    records.longScale = recordAt<qint32>(bytes, 2);
    records.cycle = recordAt<qint32>(bytes, 3);
    records.high = recordAt<qint32>(bytes, 4);
    records.low = recordAt<qint32>(bytes, 5);
    records.flag = recordAt<qint16>(bytes, 6);
    records.running = recordAt<qint16>(bytes, 7);
    records.reserved8 = recordAt<qint16>(bytes, 8);
    records.reserved9 = recordAt<qint16>(bytes, 9);
    records.reserved10 = recordAt<qint16>(bytes, 10);
    records.divisions = recordAt<qint16>(bytes, 11);
    return records;
}

void ChartRecords::take(const ChartRecords &o, std::initializer_list<int> records)
{
    for (int record : records) {
        switch (record) {
        case 1:
            colour = o.colour;
            break;
        case 2:
            longScale = o.longScale;
            break;
        case 3:
            cycle = o.cycle;
            break;
        case 4:
            high = o.high;
            break;
        case 5:
            low = o.low;
            break;
        case 6:
            flag = o.flag;
            break;
        case 7:
            running = o.running;
            break;
        case 8:
            reserved8 = o.reserved8;
            break;
        case 9:
            reserved9 = o.reserved9;
            break;
        case 10:
            reserved10 = o.reserved10;
            break;
        default:
            divisions = o.divisions;
            break;
        }
    }
}

bool ChartRecords::repair()
{
    const ChartRecords standard;
    bool repaired = false;
    const auto keep = [&repaired](bool valid) {
        repaired = repaired || !valid;
        return valid;
    };
    if (!keep(cycle >= 1 && cycle <= 60))
        cycle = standard.cycle;
    const auto onScale = [](qint32 v) { return v >= -2000 && v <= 10000; };
    if (!keep(onScale(high) && onScale(low) && high > low)) {
        high = standard.high;
        low = standard.low;
    }
    if (!keep(divisions >= 2 && divisions <= 10))
        divisions = standard.divisions;
    return repaired;
}

ChartSettingsFiles::ChartSettingsFiles(QString folder) : m_folder(std::move(folder)) {}

QString ChartSettingsFiles::filePath(int channel) const
{
    return m_folder + QStringLiteral("/ZN8P%1.DAT").arg(channel + 1);
}

std::optional<ChartRecords> ChartSettingsFiles::read(int channel) const
{
    // Opening a FIFO would wait for a writer for good.
    if (!QFileInfo(filePath(channel)).isFile())
        return std::nullopt;
    QFile file(filePath(channel));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Only the records are read: a huge file costs no more than a good one.
    return ChartRecords::fromBytes(file.read(FullLength));
}

bool ChartSettingsFiles::write(int channel, const ChartRecords &values,
                               std::initializer_list<int> records)
{
    const QString path = filePath(channel);
    ChartRecords merged = read(channel).value_or(ChartRecords::defaults(channel));
    merged.take(values, records);
    // Never over a FIFO or a device, which the rename would replace.
    const FileFault fault = WholeFileWriter::writeAll(path, merged.toBytes());
    if (!fault.isNone() && m_unsaved)
        m_unsaved(fault);
    return fault.isNone();
}

ChartSettingsFiles::Flags ChartSettingsFiles::load(ChartState &chart)
{
    Flags flags{};
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        std::optional<ChartRecords> records = read(channel);
        const bool rewrite = !records || records->repair();
        if (!records)
            records = ChartRecords::defaults(channel);
        if (rewrite)
            write(channel, *records, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
        chart.traceColors[channel] = records->colour;
        chart.chartLongScale = records->longScale;
        chart.chartCycleSeconds = records->cycle;
        chart.chartScaleHigh = records->high;
        chart.chartScaleLow = records->low;
        chart.chartDivisions = records->divisions;
        m_reserved = *records;
        flags[channel] = records->flag;
    }
    return flags;
}

ChartSettingsFiles::Flags ChartSettingsFiles::readFlags() const
{
    Flags flags{};
    for (int channel = 0; channel < ChartChannels::Count; ++channel) {
        const std::optional<ChartRecords> records = read(channel);
        flags[channel] = records ? records->flag : qint16(0);
    }
    return flags;
}

ChartRecords ChartSettingsFiles::current(const ChartState &chart, int channel, qint16 flag,
                                         qint16 running) const
{
    ChartRecords records = m_reserved;
    records.colour = chart.traceColors[channel];
    records.longScale = chart.chartLongScale;
    records.cycle = chart.chartCycleSeconds;
    records.high = chart.chartScaleHigh;
    records.low = chart.chartScaleLow;
    records.flag = flag;
    records.running = running;
    records.divisions = chart.chartDivisions;
    return records;
}

void ChartSettingsFiles::writeShared(const ChartState &chart, std::initializer_list<int> records)
{
    for (int channel = 0; channel < ChartChannels::Count; ++channel)
        write(channel, current(chart, channel, 0, 0), records);
}

void ChartSettingsFiles::colourChosen(const ChartState &chart, int channel)
{
    write(channel, current(chart, channel, 0, 0), {1});
}

void ChartSettingsFiles::selectionCompleted(const ChartState &chart, const Flags &flags)
{
    for (int channel = 0; channel < ChartChannels::Count; ++channel)
        write(channel, current(chart, channel, flags[channel], 0), {1, 6});
}

void ChartSettingsFiles::traceStarted(const ChartState &chart, const Flags &flags)
{
    write(Pv, current(chart, Pv, flags[Pv], 1), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    for (int channel = Sv; channel < ChartChannels::Count; ++channel)
        write(channel, current(chart, channel, flags[channel], 1), {7});
}

void ChartSettingsFiles::traceStopped(const ChartState &chart, const Flags &flags)
{
    for (int channel = 0; channel < ChartChannels::Count; ++channel)
        write(channel, current(chart, channel, flags[channel], 0),
              {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
}

void ChartSettingsFiles::plotEnded(const ChartState &chart)
{
    writeShared(chart, {2, 3, 7});
}
