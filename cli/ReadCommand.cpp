#include "CliSession.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "Interrupt.h"
#include "base/MessageTable.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "display/MainDisplayModel.h"
#include "polling/ReplyReporter.h"
#include "polling/ValueFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace
{

struct ReadResult {
    int code = 0;
    ReplyCheck::Outcome outcome = ReplyCheck::Outcome::NoReply;
};

bool hasRegister(int code)
{
    return !RegisterMap::modbusAddress(code).isEmpty();
}

// The codes an argument names; false with the reason for one without a register of its own.
bool codesOf(const QString &argument, QList<int> &codes, QString *error)
{
    if (argument == QLatin1String("all")) {
        for (int code = 0; code < ZN8P_INC::RegisterCount; ++code) {
            if (hasRegister(code))
                codes << code;
        }
        return true;
    }
    bool ok = false;
    const int code = argument.toInt(&ok, 10);
    if (!ok || code < 0 || code >= ZN8P_INC::RegisterCount) {
        *error = QStringLiteral("'%1' is no parameter code (0 to 65, or all)").arg(argument);
        return false;
    }
    if (!hasRegister(code)) {
        *error = QStringLiteral("code %1 has no register of its own and cannot be read").arg(code);
        return false;
    }
    codes << code;
    return true;
}

// The codes whose values decide how the display text of the codes is formed: the input type and
// the decimal point place for every number, the PID values for the auto-tuning state, the status
// word for PV over- and underscale.
QList<int> formatInputs(const QList<int> &codes)
{
    QList<int> inputs = {Code::InputType, Code::DecimalPlace};
    if (codes.contains(Code::AutoTuning))
        inputs << 13 << 15 << 16;
    if (codes.contains(Code::Pv))
        inputs << Code::Status;
    return inputs;
}

// The value as the display shows it; PV out of scale as "----" with its marker.
QString displayText(const ZN8P_INC &inc, int code)
{
    return code == Code::Pv ? PvDisplayText(inc, true) : FormatItemValue(inc, code);
}

// What a code is called: the message that names it where there is one.
QString nameOf(int code)
{
    switch (code) {
    case 0:
        return msg(77);
    case 1:
        return msg(79);
    case 2:
        return msg(80);
    case 3:
        return QStringLiteral("SV");
    case 4:
        return QStringLiteral("status word");
    case 5:
        return QStringLiteral("heater current 1");
    case 6:
        return QStringLiteral("heater current 2");
    case 7:
        return QStringLiteral("option word");
    case 8:
        return QStringLiteral("option word 2");
    case 10:
        return QStringLiteral("mode register");
    case 65:
        return QStringLiteral("setting-flag register");
    default:
        return msg(ParameterTable::captionMessage(code));
    }
}

qint16 rawValue(const ZN8P_INC &inc, int code)
{
    return ParameterTable::isMonitorCode(code) ? inc.monitorValues.at(code) : inc.setting(code);
}

QString failureText(ReplyCheck::Outcome outcome)
{
    switch (outcome) {
    case ReplyCheck::Outcome::NoReply:
        return QStringLiteral("no reply");
    case ReplyCheck::Outcome::Refused:
        return QStringLiteral("refused");
    default:
        return QStringLiteral("unrecognised reply");
    }
}

void printText(CliSession &session, const QList<ReadResult> &results)
{
    for (const ReadResult &r : results) {
        QStringList fields = {QString::number(r.code), nameOf(r.code)};
        if (r.outcome == ReplyCheck::Outcome::Good)
            fields << displayText(session.inc, r.code)
                   << QString::number(rawValue(session.inc, r.code));
        else
            fields << failureText(r.outcome);
        session.console.line(fields.join(QLatin1Char('\t')));
    }
}

void printJson(CliSession &session, const QList<ReadResult> &results)
{
    QJsonArray values;
    for (const ReadResult &r : results) {
        QJsonObject value{{QStringLiteral("code"), r.code},
                          {QStringLiteral("name"), nameOf(r.code)}};
        if (r.outcome == ReplyCheck::Outcome::Good) {
            value.insert(QStringLiteral("text"), displayText(session.inc, r.code));
            value.insert(QStringLiteral("raw"), rawValue(session.inc, r.code));
        } else {
            value.insert(QStringLiteral("error"), failureText(r.outcome));
        }
        values.append(value);
    }
    session.console.line(
        QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Indented)).trimmed());
}

int exitCodeOf(const QList<ReadResult> &results)
{
    int code = Success;
    for (const ReadResult &r : results) {
        if (r.outcome == ReplyCheck::Outcome::NoReply)
            return NoController;
        if (r.outcome != ReplyCheck::Outcome::Good)
            code = Refused;
    }
    return code;
}

} // namespace

int runRead(CliSession &session, const CommandLine &commandLine)
{
    QList<int> codes;
    QString error;
    for (const QString &argument : commandLine.arguments) {
        if (!codesOf(argument, codes, &error)) {
            session.console.errorLine(QStringLiteral("znctl: ") + error);
            return UsageError;
        }
    }
    if (!session.linkCheck().checkcommunicate1()) {
        session.console.errorLine(msg(451));
        return NoController;
    }

    ReplyReporter reporter(session.inc, session.core.link, session.op, session.view);
    const auto readCode = [&](int code) {
        return reporter.read(session.core.request.read(session.inc.registerTable.at(code)), code);
    };
    for (const int code : formatInputs(codes))
        readCode(code);
    QList<ReadResult> results;
    for (const int code : codes) {
        if (Interrupt::requested())
            return Cancelled;
        results.append({code, readCode(code)});
    }
    session.core.link.com()->ClosePort();

    if (commandLine.json)
        printJson(session, results);
    else
        printText(session, results);
    return exitCodeOf(results);
}
