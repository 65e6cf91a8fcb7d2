#include "SettingsDataFile.h"

#include "app/ZN8P_INC.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <limits>
#include <optional>

namespace
{
const QByteArray LineEnd = QByteArrayLiteral("\r\n");
constexpr qint16 WrittenFormatMarker = 0;

// The longest line a field can take, line end included: a quoted model name or a 16-bit integer
// needs far less, and a longer line is no field of ours.
constexpr qint64 MaxLineLength = 256;

// The fields of a file, one a line, read one line at a time as they are asked for; a line feed
// alone ends a line as well. A line longer than MaxLineLength is no field.
class FieldReader
{
public:
    explicit FieldReader(QIODevice &device) : m_device(device) {}

    std::optional<QString> text()
    {
        const std::optional<QByteArray> line = nextLine();
        if (!line)
            return std::nullopt;
        if (line->startsWith('"')) {
            const int close = int(line->indexOf('"', 1));
            return QString::fromLocal8Bit(close < 0 ? line->mid(1) : line->mid(1, close - 1));
        }
        return QString::fromLocal8Bit(*line);
    }

    std::optional<qint16> integer()
    {
        const std::optional<QByteArray> line = nextLine();
        if (!line)
            return std::nullopt;
        bool ok = false;
        const int value = line->toInt(&ok);
        if (!ok || value < std::numeric_limits<qint16>::min() ||
            value > std::numeric_limits<qint16>::max())
            return std::nullopt;
        return qint16(value);
    }

private:
    // The next line, trimmed; nullopt at the end of the file or for a line too long.
    std::optional<QByteArray> nextLine()
    {
        if (m_device.atEnd())
            return std::nullopt;
        const QByteArray line = m_device.readLine(MaxLineLength + 2);
        if (line.size() > MaxLineLength || (!line.endsWith('\n') && !m_device.atEnd()))
            return std::nullopt;
        return line.trimmed();
    }

    QIODevice &m_device;
};
} // namespace

namespace SettingsDataFile
{

bool read(const QString &path, ZN8P_INC &inc)
{
    // Not a FIFO or a device, which could block the start or never end.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    FieldReader fields(file);

    const std::optional<QString> model = fields.text();
    if (!model)
        return false;
    inc.modelName = *model;

    qint16 *const header[] = {
        &inc.formatMarker,           &inc.unitConfig.alarm2,       &inc.unitConfig.heatCool,
        &inc.unitConfig.heaterBreak, &inc.unitConfig.contactInput, &inc.unitConfig.outputType,
        &inc.unitConfig.serialComm,
    };
    for (qint16 *target : header) {
        const std::optional<qint16> value = fields.integer();
        if (!value)
            return false;
        *target = *value;
    }
    for (int index = 1; index <= ValueCount; ++index) {
        const std::optional<qint16> value = fields.integer();
        if (!value)
            return false;
        inc.settingValues[index] = *value;
    }
    return true;
}

QByteArray compose(const ZN8P_INC &inc)
{
    QByteArray text;
    text += '"' + QByteArray(ModelName) + '"' + LineEnd;
    const UnitConfig &u = inc.unitConfig;
    for (qint16 value : {WrittenFormatMarker, u.alarm2, u.heatCool, u.heaterBreak, u.contactInput,
                         u.outputType, u.serialComm})
        text += QByteArray::number(value) + LineEnd;
    for (int index = 1; index <= ValueCount; ++index)
        text += QByteArray::number(inc.settingValues[index]) + LineEnd;
    return text;
}

bool write(const QString &path, const ZN8P_INC &inc, QString *error)
{
    // A FIFO or a device at path would be replaced by a regular file.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile()) {
        if (error != nullptr)
            *error = QStringLiteral("%1 exists and is not a regular file").arg(path);
        return false;
    }
    QSaveFile file(path);
    const QByteArray text = compose(inc);
    // Without a successful commit() the temporary file is discarded and the old file stays. The
    // explicit flush() matters: Qt 6.4's commit() ignores a failure of its own final flush (a full
    // disk) and would put a cut-off file in place of the old one.
    const bool written = file.open(QIODevice::WriteOnly) && file.write(text) == text.size() &&
                         file.flush() && file.commit();
    if (!written && error != nullptr)
        *error = file.errorString();
    return written;
}

} // namespace SettingsDataFile
