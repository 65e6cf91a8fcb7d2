#include "SettingsDataFile.h"

#include "base/WholeFileWriter.h"
#include "comm/ControllerCodes.h"
#include "transfer/SettingValueCheck.h"

#include <QFile>
#include <QFileInfo>

#include <limits>
#include <optional>

namespace
{
const QByteArray LineEnd = QByteArrayLiteral("\r\n");
constexpr qint16 WrittenFormatMarker = 0;
// A file of this marker carries no unit configuration of its own, unless the start-up takes it.
constexpr qint16 NoUnitConfigMarker = 1;

// Whether the file's unit configuration lines are taken.
bool unitConfigTaken(qint16 formatMarker, SettingsDataFile::Marker1 marker1)
{
    return formatMarker != NoUnitConfigMarker ||
           marker1 == SettingsDataFile::Marker1::KeepsUnitConfig;
}

// Line 62's tag; the codes follow it, separated by blanks.
const QByteArray HeldOutsideTag = QByteArrayLiteral("\"held outside limits\"");

// The codes a line 62 names; empty for a line of any other form.
QList<int> heldOutsideCodes(const QByteArray &text)
{
    if (!text.startsWith(HeldOutsideTag))
        return {};
    QList<int> codes;
    for (const QByteArray &field : text.mid(HeldOutsideTag.size()).simplified().split(' ')) {
        bool ok = false;
        const int code = field.toInt(&ok);
        if (!ok || code < Code::MainSetValue || code > Code::LastVendor)
            return {};
        codes.append(code);
    }
    return codes;
}

// The longest line a field can take, line end included: a quoted model name or a 16-bit integer
// needs far less, and a longer line is no field of ours.
constexpr qint64 MaxLineLength = 256;

// The lines of a file, read one at a time as they are asked for and counted; a line feed alone
// ends a line as well. A line longer than MaxLineLength is no field.
class LineReader
{
public:
    explicit LineReader(QIODevice &device) : m_device(device) {}

    // The line number of the line last asked for.
    int line() const { return m_line; }

    // The next line, trimmed; Missing at the end of the file, NotNumber for a line too long.
    SettingsDataFile::Fault next(QByteArray &text)
    {
        ++m_line;
        if (m_device.atEnd())
            return SettingsDataFile::Fault::Missing;
        const QByteArray line = m_device.readLine(MaxLineLength + 2);
        if (line.size() > MaxLineLength || (!line.endsWith('\n') && !m_device.atEnd()))
            return SettingsDataFile::Fault::NotNumber;
        text = line.trimmed();
        return SettingsDataFile::Fault::None;
    }

private:
    QIODevice &m_device;
    int m_line = 0;
};

std::optional<qint16> toInteger(const QByteArray &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < std::numeric_limits<qint16>::min() ||
        value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(value);
}

// A text field: inside its quotation marks when it has them.
QString toText(const QByteArray &text)
{
    if (!text.startsWith('"'))
        return QString::fromLocal8Bit(text);
    const int close = int(text.indexOf('"', 1));
    return QString::fromLocal8Bit(close < 0 ? text.mid(1) : text.mid(1, close - 1));
}

using SettingsDataFile::Fault;
using SettingsDataFile::ReadResult;

ReadResult failed(Fault fault, int line)
{
    ReadResult result;
    result.fault = fault;
    result.line = line;
    return result;
}

// The contents go with the result: the options they name decide how the value is named.
ReadResult outOfRange(const SettingsDataFile::Contents &contents, int line, int code, int value,
                      int min, int max)
{
    ReadResult result = failed(Fault::OutOfRange, line);
    result.contents = contents;
    result.code = code;
    result.value = value;
    result.min = min;
    result.max = max;
    return result;
}

// The line that holds the value of a parameter code.
int lineOf(int code)
{
    constexpr int FirstValueLine = 9;
    return FirstValueLine + code - 11;
}
} // namespace

namespace SettingsDataFile
{

ReadResult read(const QString &path, Marker1 marker1)
{
    // Not a FIFO or a device, which could block the start or never end.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return failed(Fault::Unreadable, 0);
    LineReader lines(file);
    ReadResult result;
    Contents &contents = result.contents;

    QByteArray text;
    if (const Fault fault = lines.next(text); fault != Fault::None)
        return failed(fault == Fault::Missing ? fault : Fault::ModelName, lines.line());
    contents.modelName = toText(text);
    if (contents.modelName != QLatin1String(ModelName))
        return failed(Fault::ModelName, lines.line());

    // The format marker, the unit configuration, then settingValues 1 to 53.
    constexpr int UnitConfigCount = int(SettingValueCheck::UnitConfigMax.size());
    std::array<qint16, 1 + UnitConfigCount + ValueCount> numbers{};
    for (qint16 &number : numbers) {
        if (const Fault fault = lines.next(text); fault != Fault::None)
            return failed(fault, lines.line());
        const std::optional<qint16> value = toInteger(text);
        if (!value)
            return failed(Fault::NotNumber, lines.line());
        number = *value;
    }

    constexpr int MarkerLine = 2;
    contents.formatMarker = numbers[0];
    if (contents.formatMarker != 0 && contents.formatMarker != NoUnitConfigMarker)
        return failed(Fault::FormatMarker, MarkerLine);
    UnitConfig &u = contents.unitConfig;
    qint16 *const fields[] = {&u.alarm2,       &u.heatCool,   &u.heaterBreak,
                              &u.contactInput, &u.outputType, &u.serialComm};
    for (int i = 0; i < UnitConfigCount; ++i) {
        *fields[i] = numbers[1 + i];
        const int max = SettingValueCheck::UnitConfigMax[i];
        if (unitConfigTaken(contents.formatMarker, marker1) && (*fields[i] < 0 || *fields[i] > max))
            return outOfRange(contents, MarkerLine + 1 + i, 0, *fields[i], 0, max);
    }
    for (int index = 1; index <= ValueCount; ++index)
        contents.settingValues[index] = numbers[UnitConfigCount + index];

    if (lines.next(text) == Fault::None)
        contents.heldOutsideLimits = heldOutsideCodes(text);

    const UnitConfig used =
        unitConfigTaken(contents.formatMarker, marker1) ? contents.unitConfig : UnitConfig{};
    if (const auto fault =
            SettingValueCheck::firstFault(contents.settingValues, used, contents.heldOutsideLimits))
        return outOfRange(contents, lineOf(fault->code), fault->code, fault->value, fault->min,
                          fault->max);
    return result;
}

void take(const Contents &contents, SettingData &settings, Marker1 marker1)
{
    settings.modelName = contents.modelName;
    settings.formatMarker = contents.formatMarker;
    settings.unitConfig =
        unitConfigTaken(contents.formatMarker, marker1) ? contents.unitConfig : UnitConfig{};
    for (int index = 1; index <= ValueCount; ++index)
        settings.settingValues[index] = contents.settingValues[index];
    settings.settingsFromFile = true;
}

QByteArray compose(const SettingData &settings)
{
    QByteArray text;
    text += '"' + QByteArray(ModelName) + '"' + LineEnd;
    const UnitConfig &u = settings.unitConfig;
    for (qint16 value : {WrittenFormatMarker, u.alarm2, u.heatCool, u.heaterBreak, u.contactInput,
                         u.outputType, u.serialComm})
        text += QByteArray::number(value) + LineEnd;
    for (int index = 1; index <= ValueCount; ++index)
        text += QByteArray::number(settings.settingValues[index]) + LineEnd;
    const QList<int> held = heldOutsideLimits(settings);
    if (!held.isEmpty()) {
        text += HeldOutsideTag;
        for (const int code : held)
            text += ' ' + QByteArray::number(code);
        text += LineEnd;
    }
    return text;
}

QList<int> heldOutsideLimits(const SettingData &settings)
{
    QList<int> codes;
    for (const SettingValueCheck::Fault &fault :
         SettingValueCheck::faults(settings.settingValues, settings.unitConfig))
        codes.append(fault.code);
    return codes;
}

FileFault write(const QString &path, const SettingData &settings)
{
    return WholeFileWriter::writeAll(path, compose(settings));
}

} // namespace SettingsDataFile
