#include "CliSession.h"
#include "CommandLine.h"
#include "Commands.h"
#include "ExitCode.h"
#include "WriteSide.h"
#include "base/MessageTable.h"
#include "comm/ControllerCodes.h"
#include "dialogs/SettingsReportPainter.h"
#include "polling/ValueFormat.h"
#include "transfer/OutcomeText.h"
#include "transfer/ParameterDownload.h"
#include "transfer/SettingRanges.h"
#include "transfer/SettingsDataFile.h"
#include "transfer/SettingsFileMessage.h"

#include <QDateTime>

#include <algorithm>

namespace
{

constexpr int NotReadText = 895;

int exitCodeOf(WriteSide::Outcome outcome)
{
    switch (outcome) {
    case WriteSide::Outcome::NoController:
        return NoController;
    case WriteSide::Outcome::KeysOperated:
    case WriteSide::Outcome::OtherModel:
        return Busy;
    case WriteSide::Outcome::Done:
        break;
    }
    return Success;
}

void closePort(CliSession &session)
{
    if (CommComponent *com = session.core.link.com())
        com->closePort();
}

// A settings data file into shared as File load takes it: whole, after every value passed the
// limits that write applies, or not at all; false with the first bad line printed.
bool loadFile(CliSession &session, const QString &path, SessionState &shared)
{
    const SettingsDataFile::ReadResult file = SettingsDataFile::read(path);
    if (!file.ok()) {
        session.console.errorLine(
            QStringLiteral("znctl: %1: %2").arg(path, SettingsFileMessage::text(file)));
        return false;
    }
    SettingsDataFile::take(file.contents, shared);
    return true;
}

void printDifferences(CliSession &session, const QList<SettingDifference> &differences,
                      bool toErrors)
{
    for (const SettingDifference &d : differences) {
        const QString line =
            QStringList{QString::number(d.code), d.name, d.controllerText, d.otherText}.join(
                QLatin1Char('\t'));
        if (toErrors)
            session.console.errorLine(line);
        else
            session.console.line(line);
    }
}

// The items of an upload whose last read was refused or went unanswered.
QList<int> unreadItems(const SessionState &shared)
{
    QList<int> codes;
    for (int code = ParameterUpload::FirstCode; code <= ParameterUpload::LastCode; ++code) {
        if (shared.unreadCodes.contains(code))
            codes << code;
    }
    return codes;
}

// Every item the upload read, with its display text and raw value, and "not read" for one the
// controller did not give. An item the upload left alone (one this controller does not have, or
// a vendor-frame item while auto-tuning runs) has no value to print.
void printSettings(CliSession &session)
{
    const SessionState &shared = session.shared;
    for (int code = ParameterUpload::FirstCode; code <= ParameterUpload::LastCode; ++code) {
        const bool unread = shared.unreadCodes.contains(code);
        if (!unread && !shared.readValues.at(std::size_t(code - SessionState::FirstSettingCode)))
            continue;
        const QStringList value = unread ? QStringList{msg(NotReadText)}
                                         : QStringList{formatItemValue(shared, code),
                                                       QString::number(shared.setting(code))};
        session.console.line(
            (QStringList{QString::number(code), SettingRanges::itemName(shared, code)} + value)
                .join(QLatin1Char('\t')));
    }
}

// The values of a file just written that lie outside the limits a write of them would have: the
// file holds them as the controller does and marks them, so that diff and download take them.
void noteHeldOutsideLimits(CliSession &session, const QString &path)
{
    const SessionState &shared = session.shared;
    QStringList items;
    for (const int code : SettingsDataFile::heldOutsideLimits(shared))
        items << QStringLiteral("%1 %2 (%3)")
                     .arg(code)
                     .arg(SettingRanges::itemName(shared, code),
                          itemValueText(shared, code, shared.setting(code)));
    if (items.isEmpty())
        return;
    session.console.errorLine(
        QStringLiteral("znctl: %1: the controller holds values outside the limits a write of "
                       "them would have, filed as held and marked on line 62: %2")
            .arg(path, items.join(QStringLiteral(", "))));
}

// After a download that did not land whole: every item it meant to write, with the value meant
// for it and what became of it, from the item's record.
void printLanded(CliSession &session, const QList<ItemOutcome> &outcomes)
{
    const SessionState &shared = session.shared;
    for (const ItemOutcome &outcome : outcomes) {
        session.console.line(QStringList{
            QString::number(outcome.code), SettingRanges::itemName(shared, outcome.code),
            formatItemValue(shared, outcome.code, outcome.sent).trimmed(),
            OutcomeText::landedWord(outcome)}
                                 .join(QLatin1Char('\t')));
    }
}

} // namespace

int runUpload(CliSession &session, const CommandLine &commandLine)
{
    WriteSide side(session);
    WriteSide::Outcome outcome = side.connect();
    if (outcome == WriteSide::Outcome::Done)
        outcome = side.uploadAll();
    closePort(session);
    if (outcome != WriteSide::Outcome::Done)
        return exitCodeOf(outcome);
    const QList<int> unread = unreadItems(session.shared);
    QStringList files;
    for (const QString &path : {commandLine.outPath, commandLine.reportPath}) {
        if (!path.isEmpty())
            files << path;
    }
    if (files.isEmpty()) {
        printSettings(session);
        return unread.isEmpty() ? Success : Refused;
    }
    // A file holds the controller's values or is not written: an item it did not give would be
    // filed (or reported) with whatever value it had here.
    if (!unread.isEmpty()) {
        QStringList names;
        for (const int code : unread)
            names << QStringLiteral("%1 %2").arg(code).arg(
                SettingRanges::itemName(session.shared, code));
        session.console.errorLine(
            QStringLiteral("znctl: %1 not written: these items could not be read: %2")
                .arg(files.join(QStringLiteral(", ")), names.join(QStringLiteral(", "))));
        return Refused;
    }
    if (!commandLine.outPath.isEmpty()) {
        const FileFault fault = SettingsDataFile::write(commandLine.outPath, session.shared);
        if (!fault.isNone()) {
            session.console.errorLine(QStringLiteral("znctl: cannot write %1").arg(fault.text()));
            return FileError;
        }
        // The report names the file that holds the same values.
        session.shared.settingsFileName = commandLine.outPath;
        noteHeldOutsideLimits(session, commandLine.outPath);
    }
    if (!commandLine.reportPath.isEmpty()) {
        const FileFault fault = SettingsReportPainter::writePdf(
            SettingsReport::of(session.shared, QDateTime::currentDateTime()),
            commandLine.reportPath);
        if (!fault.isNone()) {
            session.console.errorLine(QStringLiteral("znctl: cannot write %1").arg(fault.text()));
            return FileError;
        }
    }
    return Success;
}

int runDownload(CliSession &session, const CommandLine &commandLine)
{
    SessionState &shared = session.shared;
    if (!loadFile(session, commandLine.arguments.first(), shared))
        return FileError;
    // As after starting the program with the file: the controller must be of the file's model.
    shared.settingDataValid = true;
    shared.unitCheckFlag = true;
    WriteSide side(session);
    WriteSide::Outcome outcome = side.connect();
    if (outcome != WriteSide::Outcome::Done) {
        closePort(session);
        return exitCodeOf(outcome);
    }
    // The Download command's own refusal.
    if (quint16(shared.statusWord()) & StatusBit::AutoTuning) {
        session.op.showMessage({503, 504}, MessageIcon::Exclamation);
        closePort(session);
        return Busy;
    }
    shared.downloadValues = shared.settingValues;
    shared.downloadRequested = true;
    // Its read-back needs only the range items: the download reads back every item it wrote.
    shared.rangeOnlyFlag = true;
    const ParameterDownload::Result result = session.core.download.downloadPreparedCopy();
    closePort(session);
    const QList<ItemOutcome> &outcomes = session.core.download.lastOutcomes();
    const bool allTaken = std::all_of(outcomes.cbegin(), outcomes.cend(),
                                      [](const ItemOutcome &o) { return o.taken(); });
    if (result != ParameterDownload::Result::Completed || !allTaken)
        printLanded(session, outcomes);
    switch (result) {
    case ParameterDownload::Result::KeysOperated:
    case ParameterDownload::Result::AutoTuningRunning:
        return Busy;
    case ParameterDownload::Result::LineLost:
        return NoController;
    case ParameterDownload::Result::Completed:
        break;
    }
    // The items the controller did not take have been listed by the download itself.
    return allTaken ? Success : Refused;
}

int runDiff(CliSession &session, const CommandLine &commandLine)
{
    SessionState file;
    if (!loadFile(session, commandLine.arguments.first(), file))
        return FileError;
    WriteSide side(session);
    WriteSide::Outcome outcome = side.connect();
    if (outcome == WriteSide::Outcome::Done)
        outcome = side.uploadAll();
    closePort(session);
    if (outcome != WriteSide::Outcome::Done)
        return exitCodeOf(outcome);
    const QList<SettingDifference> differences = side.differences(file);
    printDifferences(session, differences, false);
    // An item not read is not known to differ, nor to be the same.
    const bool unread =
        std::any_of(differences.cbegin(), differences.cend(), [&](const SettingDifference &d) {
            return session.shared.unreadCodes.contains(d.code);
        });
    if (unread)
        return Refused;
    return differences.isEmpty() ? Success : Differs;
}
