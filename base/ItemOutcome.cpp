#include "ItemOutcome.h"

ItemOutcome::Verdict ItemOutcome::verdict() const
{
    switch (reply) {
    case Reply::NotSent:
        return Verdict::NotReached;
    case Reply::Refused:
        return Verdict::Refused;
    case Reply::KeysOperated:
        return Verdict::KeysOperated;
    case Reply::Answered:
    case Reply::NoReply:
        break;
    }
    if (readBack)
        return holds(*readBack) ? Verdict::Taken : Verdict::NotTaken;
    if (reply == Reply::NoReply)
        return Verdict::NoReply;
    // Answered: judged by the reply alone when nothing was read back (a line lost before the
    // read-back), not confirmed when the read-back failed.
    return readBackTried ? Verdict::Unconfirmed : Verdict::Taken;
}
