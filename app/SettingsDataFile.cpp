#include "SettingsDataFile.h"

#include "app/ZN8P_INC.h"

#include <QFile>
#include <QSaveFile>

#include <limits>
#include <optional>

namespace
{
const QByteArray LineEnd = QByteArrayLiteral("\r\n");
constexpr qint16 WrittenFormatMarker = 0;

// The fields of a file, one a line; a line feed alone ends a line as well.
class FieldReader
{
public:
    explicit FieldReader(const QByteArray &text) : m_lines(text.split('\n'))
    {
        // A final line end leaves one empty piece that is no field.
        if (!m_lines.isEmpty() && m_lines.last().isEmpty())
            m_lines.removeLast();
    }

    std::optional<QString> text()
    {
        if (m_next >= m_lines.size())
            return std::nullopt;
        const QByteArray field = m_lines.at(m_next++).trimmed();
        if (field.startsWith('"')) {
            const int close = field.indexOf('"', 1);
            return QString::fromLocal8Bit(close < 0 ? field.mid(1) : field.mid(1, close - 1));
        }
        return QString::fromLocal8Bit(field);
    }

    std::optional<qint16> integer()
    {
        if (m_next >= m_lines.size())
            return std::nullopt;
        bool ok = false;
        const int value = m_lines.at(m_next++).trimmed().toInt(&ok);
        if (!ok || value < std::numeric_limits<qint16>::min() ||
            value > std::numeric_limits<qint16>::max())
            return std::nullopt;
        return qint16(value);
    }

private:
    QList<QByteArray> m_lines;
    int m_next = 0;
};
} // namespace

namespace SettingsDataFile
{

bool read(const QString &path, ZN8P_INC &inc)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    FieldReader fields(file.readAll());
    file.close();

    const std::optional<QString> model = fields.text();
    if (!model)
        return false;
    inc.modelName = *model;

    qint16 *const header[] = {
        &inc.formatMarker,           &inc.unitConfig.alarm2,      &inc.unitConfig.heatCool,
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
