#include "CliSession.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "Interrupt.h"
#include "MonitorRecord.h"
#include "StationLine.h"
#include "base/MessageTable.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "display/MainDisplayModel.h"
#include "polling/ItemNames.h"
#include "polling/ReplyReporter.h"
#include "polling/ValueFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace
{

// One code read: on a good reply its display text and raw value as read then, and for JSON its
// text, unit and name in English.
struct ReadResult {
    int code = 0;
    ReplyCheck::Outcome outcome = ReplyCheck::Outcome::NoReply;
    QString text;
    qint16 raw = 0;
    QString englishText;
    QString unit;
    QString englishName;
};

// While it lives, the message table speaks English and numbers take '.' whatever the system's
// language: the texts that a script keys on stay the same when the box's locale changes.
class EnglishTexts
{
public:
    EnglishTexts() : m_language(MessageTable::instance().language())
    {
        MessageTable::instance().setLanguage(Language::English);
        QLocale::setDefault(QLocale::c());
    }
    ~EnglishTexts()
    {
        MessageTable::instance().setLanguage(m_language);
        QLocale::setDefault(m_locale);
    }
    EnglishTexts(const EnglishTexts &) = delete;
    EnglishTexts &operator=(const EnglishTexts &) = delete;

private:
    const Language m_language;
    const QLocale m_locale;
};

bool hasRegister(int code)
{
    return !RegisterMap::modbusAddress(code).isEmpty();
}

// The codes an argument names; false with the reason for one without a register of its own.
bool codesOf(const QString &argument, QList<int> &codes, QString *error)
{
    if (argument == QLatin1String("all")) {
        for (int code = 0; code < SessionState::RegisterCount; ++code) {
            if (hasRegister(code))
                codes << code;
        }
        return true;
    }
    bool ok = false;
    const int code = argument.toInt(&ok, 10);
    if (!ok || code < 0 || code >= SessionState::RegisterCount) {
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
QString displayText(const SessionState &shared, int code)
{
    return code == Code::Pv ? pvDisplayText(shared, true) : formatItemValue(shared, code);
}

qint16 rawValue(const SessionState &shared, int code)
{
    return ParameterTable::isMonitorCode(code) ? shared.monitorValues.at(code)
                                               : shared.setting(code);
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

void printText(Console &console, const QList<ReadResult> &results)
{
    for (const ReadResult &r : results) {
        QStringList fields = {QString::number(r.code), ItemNames::caption(r.code)};
        if (r.outcome == ReplyCheck::Outcome::Good)
            fields << r.text << QString::number(r.raw);
        else
            fields << failureText(r.outcome);
        console.line(fields.join(QLatin1Char('\t')));
    }
}

// The values as JSON objects; with instrument, each one names it.
QJsonArray jsonValues(const QList<ReadResult> &results, const QString &instrument = QString())
{
    QJsonArray values;
    for (const ReadResult &r : results) {
        QJsonObject value{{QStringLiteral("code"), r.code},
                          {QStringLiteral("name"), r.englishName},
                          {QStringLiteral("caption"), ItemNames::caption(r.code)}};
        if (!instrument.isEmpty())
            value.insert(QStringLiteral("instrument"), instrument.toInt());
        if (!r.unit.isEmpty())
            value.insert(QStringLiteral("unit"), r.unit);
        if (r.outcome == ReplyCheck::Outcome::Good) {
            value.insert(QStringLiteral("text"), r.englishText);
            bool number = false;
            const double v = r.englishText.trimmed().toDouble(&number);
            if (number)
                value.insert(QStringLiteral("value"), v);
            value.insert(QStringLiteral("raw"), r.raw);
        } else {
            value.insert(QStringLiteral("error"), failureText(r.outcome));
        }
        values.append(value);
    }
    return values;
}

void printJson(Console &console, const QJsonArray &values)
{
    console.line(
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

// The codes of the arguments; false after naming one that is no readable code.
bool codesOfArguments(Console &console, const CommandLine &commandLine, QList<int> &codes)
{
    QString error;
    for (const QString &argument : commandLine.arguments) {
        if (!codesOf(argument, codes, &error)) {
            console.errorLine(QStringLiteral("znctl: ") + error);
            return false;
        }
    }
    return true;
}

// Reads codes from the session's instrument into results; the exit code of the read so far.
int readCodes(CliSession &session, const QList<int> &codes, QList<ReadResult> &results)
{
    if (!session.checkLink()) {
        session.console.errorLine(session.op.named(session.noControllerText()), true);
        return NoController;
    }
    ReplyReporter reporter(session.core.context);
    const auto readCode = [&](int code) {
        return reporter.read(session.core.request.read(session.shared.registerTable.at(code)),
                             code);
    };
    for (const int code : formatInputs(codes))
        readCode(code);
    for (const int code : codes) {
        if (Interrupt::requested())
            return Cancelled;
        results.append({code, readCode(code), QString(), 0, QString(), QString(), QString()});
    }
    // The texts once every value is in: PV's depends on the status word read after it.
    for (ReadResult &r : results) {
        r.text = displayText(session.shared, r.code);
        r.raw = rawValue(session.shared, r.code);
    }
    const EnglishTexts english;
    for (ReadResult &r : results) {
        r.englishText = displayText(session.shared, r.code).trimmed();
        r.englishName = ItemNames::caption(r.code);
        r.unit = machineUnit(session.shared, r.code);
    }
    return exitCodeOf(results);
}

} // namespace

int runRead(CliSession &session, const CommandLine &commandLine)
{
    QList<int> codes;
    if (!codesOfArguments(session.console, commandLine, codes))
        return UsageError;
    QList<ReadResult> results;
    const int exitCode = readCodes(session, codes, results);
    if (CommComponent *com = session.core.link.com())
        com->closePort();
    if (exitCode == Cancelled || (exitCode == NoController && results.isEmpty()))
        return exitCode;
    if (commandLine.json)
        printJson(session.console, jsonValues(results));
    else
        printText(session.console, results);
    return exitCode;
}

int runReadOnLine(StationLine &line, const CommandLine &commandLine)
{
    QList<int> codes;
    if (!codesOfArguments(line.console, commandLine, codes))
        return UsageError;
    QJsonArray values;
    for (const QString &station : line.stations()) {
        const std::unique_ptr<CliSession> session = line.session(station);
        QList<ReadResult> results;
        const int exitCode = session->finish(readCodes(*session, codes, results));
        // An instrument that did not answer the link check has a row of its own too.
        if (results.isEmpty() && exitCode == NoController) {
            for (const int code : codes)
                results.append({code, ReplyCheck::Outcome::NoReply, QString(), 0, QString(),
                                QString(), QString()});
        }
        if (commandLine.json) {
            for (const QJsonValue &value : jsonValues(results, station))
                values.append(value);
        } else
            printText(line.console, results);
        line.record(station, exitCode);
        if (exitCode == Cancelled)
            break;
    }
    if (commandLine.json) {
        line.console.setInstrument(QString());
        printJson(line.console, values);
    }
    return line.exitCode();
}
