#include "WriteJournal.h"

#include "base/AppendOnlyFile.h"
#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "polling/ValueFormat.h"
#include "transfer/JournalFile.h"
#include "transfer/SettingRanges.h"

#include <QDir>

namespace
{

constexpr int JournalFailedMessage = 914;
constexpr int FailurePanel = 4;

// With the offset, so that entries from machines in other time zones (or across a change to
// summer time) stay in order.
QString isoTime(const QDateTime &at)
{
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

WriteJournal::WriteJournal(QString folder, Source source, OperatorInterface &op)
    : m_folder(std::move(folder)), m_source(source), m_op(op),
      m_clock([] { return QDateTime::currentDateTime(); })
{
}

QString WriteJournal::pathFor(const QDate &date) const
{
    return m_folder + QLatin1Char('/') + JournalFile::fileName(date);
}

void WriteJournal::record(const SessionState &shared, const ItemOutcome &item)
{
    if (!item.sentOut())
        return;
    const int code = item.code;
    const std::optional<qint16> before = item.before;
    const qint16 sent = item.sent;
    const WriteOutcome outcome = WriteOutcome::of(
        item, item.readBack ? formatItemValue(shared, code, *item.readBack) : QString());
    const QDateTime at = m_clock();
    const QStringList fields = {
        isoTime(at),
        shared.portName,
        shared.stationAddress,
        QString::number(code),
        SettingRanges::itemName(shared, code),
        before ? formatItemValue(shared, code, *before) : QString(),
        formatItemValue(shared, code, sent),
        before ? QString::number(*before) : QString(),
        QString::number(sent),
        outcome.keyword(),
        outcome.detail,
        m_source == Source::Window ? QStringLiteral("window") : QStringLiteral("znctl"),
    };
    QDir().mkpath(m_folder);
    FileFault fault;
    const AppendOnlyFile::Result result = AppendOnlyFile::append(
        pathFor(at.date()), JournalFile::line(fields), JournalFile::headingLine(), &fault);
    if (result == AppendOnlyFile::Result::Written) {
        m_failureShown = false;
        return;
    }
    m_failed = true;
    m_fault = fault;
    if (!m_failureShown)
        m_op.setStatusPanel(FailurePanel,
                            msg(JournalFailedMessage) + QLatin1Char(' ') + fault.text());
    m_failureShown = true;
}
