#include "TransferReport.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/PortFault.h"
#include "comm/SessionContext.h"
#include "transfer/OutcomeText.h"

#include <QStringList>
#include <QTime>

namespace
{

constexpr int NotePanel = 2;
constexpr int DownloadCompletedNote = 885;
constexpr int UploadCompletedNote = 886;
constexpr int DownloadStoppedNote = 887;
constexpr int UploadStoppedNote = 888;
constexpr int DownloadStoppedMessage = 889;
constexpr int UploadStoppedMessage = 890;
// The keys-operated refusals of the upload and of the download.
constexpr int UploadKeysOperated = 291;
constexpr int DownloadKeysOperated = 292;
constexpr int LineLostReason = 892;
constexpr int ServerClosedReason = 1189;
constexpr int NotTakenHeading = 893;
constexpr int NotSentHeading = 1110;
constexpr int UnconfirmedHeading = 1113;

bool notTaken(const ItemOutcome &item)
{
    switch (item.verdict()) {
    case ItemOutcome::Verdict::NotTaken:
    case ItemOutcome::Verdict::Refused:
    case ItemOutcome::Verdict::KeysOperated:
        return true;
    case ItemOutcome::Verdict::Taken:
    case ItemOutcome::Verdict::Unconfirmed:
    case ItemOutcome::Verdict::NoReply:
    case ItemOutcome::Verdict::NotReached:
        break;
    }
    return false;
}

bool unconfirmed(const ItemOutcome &item)
{
    return item.verdict() == ItemOutcome::Verdict::Unconfirmed ||
           item.verdict() == ItemOutcome::Verdict::NoReply;
}

} // namespace

TransferReport::TransferReport(const SessionContext &context)
    : m_shared(context.shared), m_op(context.op), m_link(context.link)
{
}

void TransferReport::begin()
{
    setNote(QString());
}

void TransferReport::setNote(const QString &note)
{
    m_op.setStatusPanel(NotePanel, note);
    // The panel names no single write any more.
    m_shared.writeNoteCode = 0;
}

void TransferReport::completed(Kind kind, const QList<ItemOutcome> &outcomes)
{
    if (m_endNotice)
        m_endNotice(true);
    const int note = kind == Kind::Download ? DownloadCompletedNote : UploadCompletedNote;
    setNote(msg(note).arg(QTime::currentTime().toString(u"HH:mm:ss")));
    QStringList lists;
    for (const QString &list : {notTakenLines(outcomes), unconfirmedLines(outcomes)}) {
        if (!list.isEmpty())
            lists << list;
    }
    if (!lists.isEmpty())
        m_op.showText(notTakenLines(outcomes).isEmpty() ? UnconfirmedHeading : NotTakenHeading,
                      lists.join(QStringLiteral("\n\n")), MessageIcon::Exclamation);
}

void TransferReport::stopped(Kind kind, int done, int total, StopReason reason,
                             const QList<ItemOutcome> &outcomes)
{
    if (m_endNotice)
        m_endNotice(false);
    const bool download = kind == Kind::Download;
    setNote(msg(download ? DownloadStoppedNote : UploadStoppedNote).arg(done).arg(total));
    const int stoppedMessage = download ? DownloadStoppedMessage : UploadStoppedMessage;
    int reasonMessage = reason == StopReason::LineLost ? LineLostReason
                        : download                     ? DownloadKeysOperated
                                                       : UploadKeysOperated;
    QString why = msg(reasonMessage);
    // A line that went for a known reason (a serial server that closed the connection) is named
    // by it: the controller did not stop answering.
    if (reason == StopReason::LineLost && m_link.com() != nullptr) {
        const PortOpenFault lost = m_link.com()->lineLostFault();
        const QString text = PortFaults::lostText(m_shared.portName, lost);
        if (!text.isEmpty()) {
            why = text;
            reasonMessage = lost.fault == PortFault::ServerClosed
                                ? ServerClosedReason
                                : PortFaults::messageId(lost.fault);
        }
    }
    QStringList lines{why, msg(stoppedMessage).arg(done).arg(total)};
    for (const QString &list :
         {notTakenLines(outcomes), unconfirmedLines(outcomes), notSentLines(outcomes)}) {
        if (!list.isEmpty())
            lines << QString() << list;
    }
    // Named by its reason: the keys-operated refusal is the message the operator knows.
    m_op.showText(reasonMessage, lines.join(QLatin1Char('\n')), MessageIcon::Exclamation);
}

QString TransferReport::notTakenLines(const QList<ItemOutcome> &outcomes) const
{
    return linesOf(outcomes, NotTakenHeading, notTaken);
}

QString TransferReport::unconfirmedLines(const QList<ItemOutcome> &outcomes) const
{
    return linesOf(outcomes, UnconfirmedHeading, unconfirmed);
}

QString TransferReport::notSentLines(const QList<ItemOutcome> &outcomes) const
{
    return linesOf(outcomes, NotSentHeading,
                   [](const ItemOutcome &item) { return !item.sentOut(); });
}

QString TransferReport::linesOf(const QList<ItemOutcome> &outcomes, int heading,
                                const std::function<bool(const ItemOutcome &)> &listed) const
{
    QStringList lines;
    for (const ItemOutcome &item : outcomes) {
        if (listed(item))
            lines << OutcomeText::listLine(m_shared, item);
    }
    if (lines.isEmpty())
        return QString();
    lines.prepend(msg(heading));
    return lines.join(QLatin1Char('\n'));
}
