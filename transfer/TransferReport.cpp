#include "TransferReport.h"

#include "base/MessageTable.h"
#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "polling/ValueFormat.h"
#include "transfer/SettingRanges.h"

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
constexpr int NotTakenHeading = 893;
constexpr int NotTakenLine = 894;
constexpr int NotReadText = 895;

} // namespace

TransferReport::TransferReport(const ZN8P_INC &inc, OperatorInterface &op) : m_inc(inc), m_op(op) {}

void TransferReport::begin()
{
    m_op.setStatusPanel(NotePanel, QString());
}

void TransferReport::completed(Kind kind, const QList<NotTaken> &notTaken)
{
    if (m_endNotice)
        m_endNotice(true);
    const int note = kind == Kind::Download ? DownloadCompletedNote : UploadCompletedNote;
    m_op.setStatusPanel(NotePanel, msg(note).arg(QTime::currentTime().toString(u"HH:mm:ss")));
    if (!notTaken.isEmpty())
        m_op.showText(NotTakenHeading, notTakenLines(notTaken), MessageIcon::Exclamation);
}

void TransferReport::stopped(Kind kind, int done, int total, StopReason reason,
                             const QList<NotTaken> &notTaken)
{
    if (m_endNotice)
        m_endNotice(false);
    const bool download = kind == Kind::Download;
    m_op.setStatusPanel(
        NotePanel, msg(download ? DownloadStoppedNote : UploadStoppedNote).arg(done).arg(total));
    const int stoppedMessage = download ? DownloadStoppedMessage : UploadStoppedMessage;
    const int reasonMessage = reason == StopReason::LineLost ? LineLostReason
                              : download                     ? DownloadKeysOperated
                                                             : UploadKeysOperated;
    QStringList lines{msg(reasonMessage), msg(stoppedMessage).arg(done).arg(total)};
    if (!notTaken.isEmpty())
        lines << QString() << notTakenLines(notTaken);
    // Named by its reason: the keys-operated refusal is the message the operator knows.
    m_op.showText(reasonMessage, lines.join(QLatin1Char('\n')), MessageIcon::Exclamation);
}

QString TransferReport::notTakenLines(const QList<NotTaken> &notTaken) const
{
    QStringList lines{msg(NotTakenHeading)};
    for (const NotTaken &item : notTaken) {
        lines << msg(NotTakenLine)
                     .arg(item.code)
                     .arg(SettingRanges::itemName(m_inc, item.code),
                          ItemValueText(m_inc, item.code, item.sent),
                          item.read ? ItemValueText(m_inc, item.code, m_inc.setting(item.code))
                                    : msg(NotReadText));
    }
    return lines.join(QLatin1Char('\n'));
}
