#include "TrafficTableModel.h"

#include "base/MessageTable.h"
#include "comm/FrameText.h"
#include "comm/Reply.h"
#include "display/MainDisplayModel.h"

#include <QBrush>
#include <QColor>
#include <QDateTime>

#include <algorithm>
#include <array>

namespace
{
constexpr int ReadMessage = 1421;
constexpr int WriteMessage = 1422;
constexpr int VerdictMessages = 1400;
constexpr int ExceptionMessage = 1406;
constexpr int ExceptionNameMessage = 1456;
constexpr int NoiseBeforeMessage = 1410;
constexpr int VendorFrameMessage = 1454;
constexpr int SearchProbeMessage = 1455;
constexpr int SilenceMeantMessage = 1458;
// Headings in column order, from Time to Value.
constexpr std::array<int, TrafficTableModel::ColumnCount> Headings = {
    1423, 1424, 1457, 1425, 1426, 1427, 1428, 1429, 1430, 1431, 1432, 1433, 1434};
// A mark that tells a failed exchange without its colour, for a screen reader, a printout and
// the CSV file too.
const QString FailedMark = QStringLiteral("\u2717 ");

// What a refusal's code means, as the controller documents its codes; 0 when it is not one it
// uses. The framing is told by the reply's first character, as the reply check does.
int exceptionMeaning(const TrafficRecord &record)
{
    const QChar first = record.replyText.isEmpty() ? QChar() : record.replyText.at(0);
    if (first == QLatin1Char(':')) {
        switch (record.exceptionCode) {
        case 0x01:
            return 1411;
        case 0x02:
            return 1412;
        case 0x03:
            return 1413;
        case 0x04:
            return 1414;
        case 0x12:
            return 1415;
        default:
            return 0;
        }
    }
    if (first == QLatin1Char('@')) {
        switch (record.exceptionCode) {
        case 10:
            return 1416;
        case 20:
            return 1412;
        case 30:
            return 1413;
        case 40:
            return 1417;
        case 63:
            return 1415;
        default:
            return 0;
        }
    }
    if (first == QChar(0x15))
        return 1418;
    if (first == QLatin1Char('!'))
        return 1419;
    if (first == QChar(0x1B))
        return 1420;
    return 0;
}

// The code as it went over the line: Modbus codes in hex, Ravtocol codes in decimal, a vendor
// frame's refusal by its character.
QString exceptionCodeText(const TrafficRecord &record)
{
    const QString &text = record.replyText;
    if (text.startsWith(QLatin1Char(':')))
        return QStringLiteral("%1").arg(record.exceptionCode, 2, 16, QLatin1Char('0')).toUpper();
    if (text.startsWith(QLatin1Char('@')))
        return QStringLiteral("%1").arg(record.exceptionCode, 2, 10, QLatin1Char('0'));
    return QString::fromLatin1(FrameText::printable(text.left(1).toLatin1()));
}
} // namespace

TrafficTableModel::TrafficTableModel(const SessionState &shared, int capacity, QObject *parent)
    : QAbstractTableModel(parent), m_shared(shared), m_capacity(std::max(1, capacity))
{
}

void TrafficTableModel::append(const QList<TrafficRecord> &records)
{
    if (records.isEmpty())
        return;
    const qsizetype taken = std::min<qsizetype>(records.size(), m_capacity);
    const int over = int(std::max<qsizetype>(0, qsizetype(m_rows.size()) + taken - m_capacity));
    // Every removal makes the list and its filter renumber all the rows they keep: once full, the
    // oldest go a twentieth of the capacity at a time, not a few on every tick.
    const int drop = over == 0 ? 0 : std::max(over, std::min(int(m_rows.size()), m_capacity / 20));
    if (drop > 0) {
        beginRemoveRows(QModelIndex(), 0, drop - 1);
        m_rows.erase(m_rows.begin(), m_rows.begin() + drop);
        endRemoveRows();
    }
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + int(taken) - 1);
    for (auto it = records.end() - taken; it != records.end(); ++it)
        m_rows.push_back({*it, TrafficMeaning::of(*it, m_shared, machineUnit)});
    m_lastSerial = records.last().serial;
    endInsertRows();
}

int TrafficTableModel::rowOf(quint64 serial) const
{
    const auto at =
        std::lower_bound(m_rows.begin(), m_rows.end(), serial,
                         [](const Row &row, quint64 s) { return row.record.serial < s; });
    return at != m_rows.end() && at->record.serial == serial ? int(at - m_rows.begin()) : -1;
}

QString TrafficTableModel::heading(int column)
{
    return msg(Headings.at(std::size_t(column)));
}

QString TrafficTableModel::verdictName(ReplyVerdict verdict)
{
    // Messages 1400 to 1409 follow the verdicts' order; an exception's own has room for its code.
    return verdict == ReplyVerdict::Exception ? msg(ExceptionNameMessage)
                                              : msg(VerdictMessages + int(verdict));
}

QString TrafficTableModel::verdictText(const TrafficRecord &record)
{
    QString text = verdictName(record.verdict);
    if (record.verdict == ReplyVerdict::Exception) {
        text = msg(ExceptionMessage).arg(exceptionCodeText(record));
        if (const int meaning = exceptionMeaning(record))
            text += QStringLiteral(": ") + msg(meaning);
    }
    if (record.noiseBefore && record.verdict != ReplyVerdict::Noise)
        text += QStringLiteral(" (%1)").arg(msg(NoiseBeforeMessage));
    if (record.silenceMeant())
        text += QStringLiteral(" (%1)").arg(msg(SilenceMeantMessage));
    return failed(record) ? FailedMark + text : text;
}

QString TrafficTableModel::protocolName(FrameMode mode)
{
    switch (mode) {
    case FrameMode::Vendor:
        return msg(VendorFrameMessage);
    case FrameMode::Ravtocol:
        return QStringLiteral("Ravtocol");
    case FrameMode::ModbusAscii:
        return QStringLiteral("Modbus ASCII");
    case FrameMode::ModbusRtu:
        break;
    }
    return QStringLiteral("Modbus RTU");
}

QString TrafficTableModel::bytesText(const QByteArray &bytes, FrameMode mode)
{
    if (bytes.isEmpty())
        return QString();
    const QString hex = QString::fromLatin1(bytes.toHex(' ').toUpper());
    if (mode == FrameMode::ModbusRtu)
        return hex;
    // The text first: it is what the operator reads in a text framing, and fits a narrow column.
    return QString::fromLatin1(FrameText::printable(bytes)) + QStringLiteral(" | ") + hex;
}

QString TrafficTableModel::text(int row, int column, bool full) const
{
    const Row &r = m_rows[std::size_t(row)];
    const TrafficRecord &record = r.record;
    switch (Column(column)) {
    case Time:
        return QDateTime::fromMSecsSinceEpoch(record.sentAtMs)
            .toString(full ? QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")
                           : QStringLiteral("HH:mm:ss.zzz"));
    case Port:
        return record.searchProbe ? msg(SearchProbeMessage).arg(record.port) : record.port;
    case Speed:
        return record.speed;
    case Station:
        return record.instrument();
    case Protocol:
        return protocolName(record.mode);
    case Request:
        return bytesText(record.request, record.mode);
    case Reply:
        return bytesText(record.reply, record.mode);
    case ResponseMs:
        return record.responseMs < 0 ? QString() : QString::number(record.responseMs);
    case Verdict:
        return verdictText(record);
    case Access:
        return record.request.isEmpty() ? QString()
                                        : msg(r.meaning.write ? WriteMessage : ReadMessage);
    case ItemCode:
        return r.meaning.code < 0 ? QString() : QString::number(r.meaning.code);
    case Caption:
        return r.meaning.caption;
    case Value:
        return r.meaning.unit.isEmpty() || r.meaning.value.isEmpty()
                   ? r.meaning.value
                   : r.meaning.value + QLatin1Char(' ') + r.meaning.unit;
    case ColumnCount:
        break;
    }
    return QString();
}

int TrafficTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TrafficTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TrafficRecord &r = record(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::ToolTipRole:
        // What to check on the line for a failed exchange; the whole time for the time.
        if (index.column() == Time)
            return text(index.row(), Time, true);
        if (index.column() == Verdict && failed(r))
            return ReplyVerdicts::text({r.replyText, r.verdict, r.exceptionCode});
        if (index.column() == Request || index.column() == Reply)
            return text(index.row(), index.column());
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() == ResponseMs || index.column() == ItemCode)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case Qt::BackgroundRole:
        return failed(r) ? QBrush(QColor(0xFF, 0xE0, 0xE0)) : QVariant();
    case Qt::ForegroundRole:
        return failed(r) ? QBrush(QColor(0x9C, 0x00, 0x06)) : QVariant();
    default:
        return {};
    }
}

QVariant TrafficTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= ColumnCount)
        return {};
    return heading(section);
}
