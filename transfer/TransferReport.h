#pragma once

#include "base/ItemOutcome.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>

class ComLink;
class OperatorInterface;
struct SessionContext;
struct SessionState;

// How an upload or a download ended, told to the operator: a note in status bar panel 2 that stays
// until the next transfer or write, and one message box for a transfer that stopped part-way or
// whose items the controller did not all take.
class TransferReport
{
public:
    enum class Kind { Upload, Download };
    enum class StopReason {
        KeysOperated, // the controller refused because its keys are being operated
        LineLost,     // LineLostAfter requests in a row went unanswered
    };

    // Unanswered requests in a row after which a transfer takes the line for lost and stops: one
    // is a glitch, three in a row are a dead peer or an unplugged adapter.
    static constexpr int LineLostAfter = 3;

    // Told how each transfer ended (true: completed), for the event log.
    using EndNotice = std::function<void(bool completed)>;

    // link: whose component tells why a lost line went (a serial server that closed the
    // connection), said in place of "stopped answering".
    explicit TransferReport(const SessionContext &context);
    void setEndNotice(EndNotice notice) { m_endNotice = std::move(notice); }

    // Clears the last note: a new transfer starts.
    void begin();
    // Every item handled ("Download completed at 10:42:05"); the records sent and not taken, and
    // those sent and not confirmed, are listed in one message box.
    void completed(Kind kind, const QList<ItemOutcome> &outcomes);
    // Stopped after done of total items: one message box saying how far it got, why, that the
    // controller now holds a mix of old and new values (download), the items sent and not taken,
    // those sent and not confirmed, and the items never sent.
    void stopped(Kind kind, int done, int total, StopReason reason,
                 const QList<ItemOutcome> &outcomes = {});

private:
    void setNote(const QString &note);
    // A heading and one line per record of each kind, empty when there is none: sent and not
    // taken (refused, read back different); sent and not confirmed (no read-back answered);
    // never sent.
    QString notTakenLines(const QList<ItemOutcome> &outcomes) const;
    QString unconfirmedLines(const QList<ItemOutcome> &outcomes) const;
    QString notSentLines(const QList<ItemOutcome> &outcomes) const;
    QString linesOf(const QList<ItemOutcome> &outcomes, int heading,
                    const std::function<bool(const ItemOutcome &)> &listed) const;

    SessionState &m_shared;
    OperatorInterface &m_op;
    const ComLink &m_link;
    EndNotice m_endNotice;
};
