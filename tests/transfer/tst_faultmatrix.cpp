// The fault matrix: znctl's write (a direct item and one through the vendor frame), upload, diff
// and download, and the window's download engine, each run against a FaultPeer that spoils one
// numbered request in one way, in Modbus ASCII and RTU. After each run, what the program reported
// (standard output, exit code, journal lines, the file written or not, the engine's records) is
// held against the peer's own registers: nothing it reports may be untrue, and a single lost,
// late or garbled reply must not cost the truth.

#include "base/MessageTable.h"
#include "comm/ControllerCodes.h"
#include "comm/ParameterTable.h"
#include "comm/RegisterMap.h"
#include "comm/SerialCommComponent.h"
#include "comm/SettingsStore.h"
#include "tests/support/FakeOperator.h"
#include "tests/support/FaultPeer.h"
#include "tests/support/RecordingMainView.h"
#include "transfer/CoreSession.h"
#include "transfer/JournalFile.h"
#include "transfer/SettingsDataFile.h"

#include <QDate>
#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

namespace
{

using Fault = FaultPeer::Fault;
using Framing = FaultPeer::Framing;

const QList<Fault> AllFaults = {Fault::NoReply,     Fault::Late,         Fault::BadChecksum,
                                Fault::KeysRefusal, Fault::OtherRefusal, Fault::DeadLine};
// Runs of znctl at once: they spend their time waiting on the line.
constexpr std::size_t Concurrent = 12;

// The file's values where they differ from the controller's: the items a diff must name and a
// download must change.
const QMap<int, qint16> FileChanges = {{11, 150}, {13, 25}, {15, 240}, {16, 40}, {28, 5}, {63, 1}};

QString addressOf(int code)
{
    return RegisterMap::modbusAddress(code);
}

// The vendor item at index of the vendor item table (its working item or stored copy).
QString vendorItemAt(int index)
{
    static const SessionState tables = [] {
        SessionState shared;
        RegisterMap::fillVendorItemTable(shared);
        return shared;
    }();
    return tables.vendorItemTable.at(index);
}

QString vendorItemOf(int code)
{
    return vendorItemAt(ParameterTable::vendorItemIndex(code));
}

// A controller without options, K input, every setting at its factory value.
std::array<qint16, SessionState::SettingCount> initialValues()
{
    return ParameterTable::defaultSettingValues();
}

void fill(ScriptedController &controller)
{
    const auto values = initialValues();
    for (int code = 11; code <= 57; ++code)
        controller.registers[addressOf(code)] = values.at(code - 10);
    controller.registers["0000"] = 266;
    controller.registers["0080"] = 250;
    controller.vendorItems["FC30"] = values.at(1);
    controller.vendorItems["FF13"] = 0;
    controller.vendorItems[vendorItemOf(63)] = 0;
}

qint16 held(const FaultPeer &peer, int code)
{
    return addressOf(code).isEmpty() ? peer.vendorItem(vendorItemOf(code))
                                     : peer.reg(addressOf(code));
}

// Whether the controller holds value for code whole: an item written in the vendor frame has its
// stored copy too, which a refusal can leave behind while the working value took.
bool landed(const FaultPeer &peer, int code, qint16 value)
{
    // The AT bias goes to its register at this controller's mode: no copy.
    const int copy = code == Code::AtBias ? 0 : ParameterTable::vendorCopyIndex(code);
    return held(peer, code) == value && (copy == 0 || peer.vendorItem(vendorItemAt(copy)) == value);
}

qint16 initial(int code)
{
    return code == 63 ? 0 : initialValues().at(code - 10);
}

bool transient(Fault fault)
{
    return fault == Fault::NoReply || fault == Fault::Late || fault == Fault::BadChecksum;
}

// One run of the matrix and what it left.
struct Run {
    QString command;
    Framing framing = Framing::ModbusAscii;
    Fault fault = Fault::None;
    int faultAt = 0;
    QString target; // the request spoilt, as the peer numbers it ("W 0006=00F0")

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<FaultPeer> peer;
    QStringList arguments;
    std::function<void(Run &)> check;
    QStringList requests; // as the peer numbered them
    std::unique_ptr<QProcess> process;
    QElapsedTimer clock;
    double seconds = 0;
    int exitCode = -1;
    QString out;
    QString err;
    QStringList problems;

    QString name() const
    {
        return QStringLiteral("%1, %2, %3 at %4 (%5)")
            .arg(command, framing == Framing::ModbusAscii ? "ASCII" : "RTU",
                 FaultPeer::faultName(fault))
            .arg(faultAt)
            .arg(target);
    }
    QString filePath(const QString &name) const { return dir->filePath(name); }
    void expect(bool holds, const QString &claim)
    {
        if (!holds)
            problems << claim;
    }
    // This run's journal, oldest first.
    QList<QStringList> journal() const
    {
        QList<QStringList> entries = JournalFile::latest(
            filePath("Journal/" + JournalFile::fileName(QDate::currentDate())), 1000);
        std::reverse(entries.begin(), entries.end());
        return entries;
    }
    // The last journal outcome for code ("" when none).
    QString journalled(int code) const
    {
        QString outcome;
        for (const QStringList &e : journal()) {
            if (e.at(JournalFile::Code).toInt() == code)
                outcome = e.at(JournalFile::Outcome);
        }
        return outcome;
    }
    bool wrote(int code) const
    {
        const QString address = addressOf(code).isEmpty() ? vendorItemOf(code) : addressOf(code);
        for (const QString &request : peer->requests()) {
            if ((request.startsWith("W ") || request.startsWith("q ")) &&
                request.mid(2, 4) == address)
                return true;
        }
        return false;
    }
};

// The arguments of each command, and the requests of its run worth spoiling.
struct Command {
    QString name;
    QStringList arguments; // "FILE" stands for the settings data file of the run
    std::function<QList<int>(const QStringList &requests)> targets;
    std::function<void(Run &)> check;
};

// The request numbers (from 1) of the first request starting with each prefix, and of the
// occurrence-th one where given as "prefix#occurrence".
QList<int> numbersOf(const QStringList &requests, const QStringList &wanted)
{
    QList<int> numbers;
    for (const QString &want : wanted) {
        const QString prefix = want.section('#', 0, 0);
        const int occurrence = want.contains('#') ? want.section('#', 1).toInt() : 1;
        int seen = 0;
        for (int i = 0; i < requests.size(); ++i) {
            if (requests.at(i).startsWith(prefix) && ++seen == occurrence) {
                numbers << i + 1;
                break;
            }
        }
    }
    return numbers;
}

void checkWrite(Run &run, int code, qint16 value)
{
    const bool whole = landed(*run.peer, code, value);
    const QString journal = run.journalled(code);
    if (run.exitCode == 0) {
        run.expect(whole, "exit 0, but the controller does not hold the value");
        run.expect(journal == "taken", "exit 0, journalled " + journal);
        run.expect(run.out.contains(QStringLiteral("\t%1\n").arg(value)), "exit 0 without line");
    } else {
        run.expect(run.out.isEmpty(), "a failed write printed a line");
    }
    run.expect(journal != "taken" || whole, "journalled taken, not held");
    run.expect((journal != "refused" && journal != "read back different") || !whole,
               "journalled as not taken, but held");
    // The value landed and the line answers: one spoilt reply must not make it look lost, nor
    // stop a write that goes on.
    if (whole && run.fault != Fault::DeadLine)
        run.expect(run.exitCode == 0 ||
                       (journal == "no reply" && !run.err.contains("did not take")),
                   QStringLiteral("landed, but exit %1").arg(run.exitCode));
    run.expect(whole || !run.err.contains("was answered, but not confirmed") ||
                   journal == "no reply",
               "not confirmed, but journalled " + journal);
    if (transient(run.fault) && run.faultAt > 1)
        run.expect(run.exitCode == 0 && whole, "one spoilt reply cost the write");
    run.expect(run.exitCode != 7 || run.fault == Fault::KeysRefusal, "exit 7 without the keys");
}

// "code<TAB>name<TAB>...<TAB>last" lines by code.
QMap<int, QString> linesByCode(const QString &out)
{
    QMap<int, QString> lines;
    for (const QString &line : out.split('\n', Qt::SkipEmptyParts))
        lines.insert(line.section('\t', 0, 0).toInt(), line.section('\t', -1));
    return lines;
}

void checkUpload(Run &run)
{
    const QMap<int, QString> lines = linesByCode(run.out);
    bool unread = false;
    for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
        if (it.value() == msg(895)) {
            unread = true;
            continue;
        }
        run.expect(it.value().toInt() == held(*run.peer, it.key()),
                   QStringLiteral("%1 printed as %2, held %3")
                       .arg(it.key())
                       .arg(it.value())
                       .arg(held(*run.peer, it.key())));
    }
    if (run.exitCode == 0)
        run.expect(!unread && lines.size() == 48, "exit 0 with items missing or not read");
    run.expect(!unread || run.exitCode == 4, "an item not read, exit not 4");
    if (transient(run.fault) && run.faultAt > 1)
        run.expect(run.exitCode == 0 && !unread, "one spoilt reply cost the upload");
}

void checkUploadFile(Run &run)
{
    const QString path = run.filePath("out.znm");
    run.expect(QFile::exists(path) == (run.exitCode == 0), "file written without exit 0 or not");
    if (!QFile::exists(path))
        return;
    const SettingsDataFile::ReadResult file = SettingsDataFile::read(path);
    run.expect(file.ok(), "the file written does not read back");
    for (int code = 11; code <= 57; ++code)
        run.expect(file.contents.settingValues.at(code - 10) == held(*run.peer, code),
                   QStringLiteral("%1 filed other than held").arg(code));
    if (transient(run.fault) && run.faultAt > 1)
        run.expect(run.exitCode == 0, "one spoilt reply cost the file");
}

void checkDiff(Run &run)
{
    const QMap<int, QString> lines = linesByCode(run.out);
    bool unread = false;
    for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
        const QString controllerText = run.out.section(QStringLiteral("%1\t").arg(it.key()), 1)
                                           .section('\n', 0, 0)
                                           .section('\t', 1, 1);
        if (controllerText == msg(895)) {
            unread = true;
            continue;
        }
        run.expect(FileChanges.contains(it.key()),
                   QStringLiteral("%1 named as differing").arg(it.key()));
    }
    if (run.exitCode == 8 || run.exitCode == 4) {
        for (auto it = FileChanges.cbegin(); it != FileChanges.cend(); ++it)
            run.expect(lines.contains(it.key()),
                       QStringLiteral("%1 differs, not named").arg(it.key()));
    }
    run.expect(run.exitCode != 0, "the file differs, exit 0");
    run.expect(!unread || run.exitCode == 4, "an item not read, exit not 4");
    if (transient(run.fault) && run.faultAt > 1)
        run.expect(run.exitCode == 8 && !unread, "one spoilt reply cost the diff");
}

void checkDownload(Run &run)
{
    const QMap<int, QString> lines = linesByCode(run.out);
    for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
        const int code = it.key();
        const qint16 meant = FileChanges.value(code, initial(code));
        if (it.value() == "landed")
            run.expect(landed(*run.peer, code, meant),
                       QStringLiteral("%1 landed, not held").arg(code));
        else if (it.value() == "not reached")
            run.expect(!run.wrote(code), QStringLiteral("%1 not reached, but written").arg(code));
        else if (it.value() == "not landed" && FileChanges.contains(code))
            run.expect(!landed(*run.peer, code, meant),
                       QStringLiteral("%1 not landed, but held").arg(code));
    }
    for (const QStringList &e : run.journal()) {
        const int code = e.at(JournalFile::Code).toInt();
        const qint16 sent = qint16(e.at(JournalFile::RawSent).toInt());
        const QString outcome = e.at(JournalFile::Outcome);
        if (outcome == "taken")
            run.expect(landed(*run.peer, code, sent),
                       QStringLiteral("%1 journalled taken, not held").arg(code));
        if ((outcome == "refused" || outcome == "read back different") &&
            FileChanges.contains(code))
            run.expect(!landed(*run.peer, code, sent),
                       QStringLiteral("%1 journalled not taken, held").arg(code));
    }
    if (run.exitCode == 0) {
        run.expect(lines.isEmpty(), "exit 0 with lines");
        for (auto it = FileChanges.cbegin(); it != FileChanges.cend(); ++it)
            run.expect(landed(*run.peer, it.key(), it.value()),
                       QStringLiteral("exit 0, %1 not held").arg(it.key()));
    }
    if (transient(run.fault) && run.faultAt > 1)
        run.expect(run.exitCode == 0,
                   QStringLiteral("one spoilt reply: exit %1").arg(run.exitCode));
}

const QList<Command> &commands()
{
    static const QList<Command> list = {
        {"write direct",
         {"write", "15", "240"},
         [](const QStringList &r) {
             return QList<int>{1} + numbersOf(r, {"R " + addressOf(15), "W " + addressOf(15),
                                                  "R " + addressOf(15) + "#2"});
         },
         [](Run &run) { checkWrite(run, 15, 240); }},
        {"write vendor frame",
         {"write", "11", "150"},
         [](const QStringList &r) {
             return numbersOf(r, {"W 0001", "W 0000=4C1A", "r 001C#2", "R 0001#2"});
         },
         [](Run &run) { checkWrite(run, 11, 150); }},
        {"upload",
         {"upload"},
         [](const QStringList &r) {
             return numbersOf(r, {"W 0070", "R " + addressOf(28), "a FC96#2"});
         },
         checkUpload},
        {"upload file",
         {"upload", "--out", "OUT"},
         [](const QStringList &r) { return numbersOf(r, {"R " + addressOf(13)}); },
         checkUploadFile},
        {"diff",
         {"diff", "FILE"},
         [](const QStringList &r) {
             return numbersOf(r, {"R " + addressOf(15), "R " + addressOf(40)});
         },
         checkDiff},
        {"download",
         {"download", "FILE"},
         [](const QStringList &r) {
             return numbersOf(r,
                              {"W 0070", "W " + addressOf(15), "r 001C#2", "R " + addressOf(16)});
         },
         checkDownload},
    };
    return list;
}

// The window's engine over its own peer: goes online as the window does with a file's values on
// its pages, then runs Download; the records are held against the peer.
struct Engine {
    Engine(Fault fault, int at) : peer(Framing::ModbusAscii, fault, at)
    {
        fill(peer.controller);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
        SessionState stored;
        stored.speedText = QStringLiteral("115200");
        store.storeCommConditions(stored);
        SessionState shared;
        store.selectKeyAndLoad(shared);
        RegisterMap::fillRegisterTable(shared);
        RegisterMap::fillVendorItemTable(shared);
        const QString path = peer.slavePath();
        core = std::make_unique<CoreSession>(
            CoreSession::Host{op, view, store, dir.filePath("Journal")}, std::move(shared), [path] {
                return std::make_unique<SerialCommComponent>(PortNames({{"COM1", path}}));
            });
    }
    void download()
    {
        SessionState &shared = core->shared;
        if (!core->connection.linkCheck().checkStoredConditions())
            return;
        shared.online = true;
        shared.unsavedOnlineChanges = true;
        core->onlineStartRead.readAtOnlineStart();
        shared.unsavedOnlineChanges = false;
        shared.settingDataValid = shared.downloadRequested = shared.rangeOnlyFlag = true;
        shared.downloadValues = initialValues();
        for (auto it = FileChanges.cbegin(); it != FileChanges.cend(); ++it)
            shared.downloadValues.at(std::size_t(it.key() - 10)) = it.value();
        core->download.downloadPreparedCopy();
    }
    // What the records and the page say that the peer's registers contradict.
    QStringList untrue(Fault fault) const
    {
        QStringList problems;
        const auto expect = [&](bool holds, const QString &claim) {
            if (!holds)
                problems << claim;
        };
        QSet<int> marked;
        for (const ItemOutcome &item : core->download.lastOutcomes()) {
            const QString code = QString::number(item.code);
            switch (item.verdict()) {
            case ItemOutcome::Verdict::Taken:
                expect(landed(peer, item.code, item.sent), code + " taken, not held");
                break;
            case ItemOutcome::Verdict::NotTaken:
                expect(item.readBack && held(peer, item.code) == *item.readBack,
                       code + " read back other than held");
                break;
            case ItemOutcome::Verdict::NotReached:
                expect(held(peer, item.code) == initial(item.code), code + " not reached, changed");
                break;
            case ItemOutcome::Verdict::Refused:
            case ItemOutcome::Verdict::KeysOperated:
                expect(!FileChanges.contains(item.code) || !landed(peer, item.code, item.sent),
                       code + " refused, but held");
                break;
            case ItemOutcome::Verdict::Unconfirmed:
            case ItemOutcome::Verdict::NoReply:
                break;
            }
            if (item.marked())
                marked << item.code;
            if (transient(fault))
                expect(item.taken(), code + " not taken after one spoilt reply");
        }
        // A read after the download may end a mark (the pages then show the controller's value);
        // nothing adds one the records do not give.
        const SessionState &shared = core->shared;
        for (auto it = shared.unconfirmedWrites.cbegin(); it != shared.unconfirmedWrites.cend();
             ++it)
            expect(marked.contains(it.key()),
                   QStringLiteral("%1 marked on the page, taken in the records").arg(it.key()));
        return problems;
    }

    QTemporaryDir dir;
    FaultPeer peer;
    SettingsStore store{QSettings::IniFormat};
    FakeOperator op;
    RecordingMainView view;
    std::unique_ptr<CoreSession> core;
};

} // namespace

class TestFaultMatrix : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { MessageTable::instance().setLanguage(Language::English); }
    // znctl's runs and the window engine's run side by side: both spend their time waiting on
    // the line.
    void nothingReportedIsUntrue();
    void monitorRidesOutLostReplies();
    void backupHeldOutsideLimitsIsTaken();

private:
    // every > 0: the fault comes again every that many requests.
    std::unique_ptr<Run> prepare(const Command &command, Framing framing, Fault fault, int at,
                                 int every = 0);
    // One run on its own, to its end.
    std::unique_ptr<Run> runAlone(const Command &command, Fault fault = Fault::None, int at = 0,
                                  int every = 0,
                                  const std::function<void(ScriptedController &)> &setUp = {});
    static void start(Run &run);
    static bool finished(Run &run);
    // The window engine's runs, one after the other; returns the runs that said something untrue.
    static QStringList engineRuns();
};

std::unique_ptr<Run>
TestFaultMatrix::runAlone(const Command &command, Fault fault, int at, int every,
                          const std::function<void(ScriptedController &)> &setUp)
{
    std::unique_ptr<Run> run = prepare(command, Framing::ModbusAscii, fault, at, every);
    if (setUp)
        setUp(run->peer->controller);
    start(*run);
    while (!finished(*run)) {
    }
    return run;
}

std::unique_ptr<Run> TestFaultMatrix::prepare(const Command &command, Framing framing, Fault fault,
                                              int at, int every)
{
    auto run = std::make_unique<Run>();
    run->command = command.name;
    run->framing = framing;
    run->fault = fault;
    run->faultAt = at;
    run->dir = std::make_unique<QTemporaryDir>();
    run->peer = std::make_unique<FaultPeer>(framing, fault, at, every);
    fill(run->peer->controller);
    for (const QString &a : command.arguments)
        run->arguments << (a == "FILE"  ? run->filePath("file.znm")
                           : a == "OUT" ? run->filePath("out.znm")
                                        : a);
    if (command.arguments.first() == "write" || command.arguments.first() == "download")
        run->arguments << "--journal-dir" << run->filePath("Journal");
    run->arguments << "--wait"
                   << "5";
    run->check = command.check;

    const bool ascii = framing == Framing::ModbusAscii;
    QSettings settings(run->filePath("Dorvatech RQA Control/ZN Monitor.conf"),
                       QSettings::IniFormat);
    const QMap<QString, QString> conditions = {{"Port", "COM1"},
                                               {"Speed", "115200"},
                                               {"Databit", ascii ? "7" : "8"},
                                               {"Stopbit", "1"},
                                               {"Parity", ascii ? "EVEN" : "NONE"},
                                               {"strAdr", "01"},
                                               {"Protocol", ascii ? "0" : "1"},
                                               {"mainTabs", "0"},
                                               {"settingTabs", "0"}};
    for (auto it = conditions.cbegin(); it != conditions.cend(); ++it)
        settings.setValue(it.key(), it.value());
    for (int n = 1; n <= 8; ++n)
        settings.setValue(QStringLiteral("PortMap/COM%1").arg(n),
                          n == 1 ? run->peer->slavePath() : QStringLiteral("/dev/zn-none"));
    settings.sync();

    SessionState file;
    file.settingValues = initialValues();
    for (auto it = FileChanges.cbegin(); it != FileChanges.cend(); ++it)
        file.setting(it.key()) = it.value();
    SettingsDataFile::write(run->filePath("file.znm"), file);
    return run;
}

void TestFaultMatrix::start(Run &run)
{
    run.process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_CONFIG_HOME", run.dir->path());
    environment.insert("LANG", "C.UTF-8");
    environment.insert("LC_ALL", "C.UTF-8");
    run.process->setProcessEnvironment(environment);
    run.clock.start();
    run.process->start(QStringLiteral(ZNCTL_PATH), run.arguments);
}

bool TestFaultMatrix::finished(Run &run)
{
    if (!run.process->waitForFinished(5) && run.clock.elapsed() < 60000)
        return false;
    if (run.process->state() != QProcess::NotRunning) {
        run.process->kill();
        run.process->waitForFinished();
    }
    run.exitCode = run.process->exitStatus() == QProcess::NormalExit ? run.process->exitCode() : -1;
    run.out = QString::fromUtf8(run.process->readAllStandardOutput());
    run.err = QString::fromUtf8(run.process->readAllStandardError());
    run.seconds = run.clock.elapsed() / 1000.0;
    run.expect(run.exitCode >= 0 && run.exitCode != 2 && run.exitCode <= 8,
               QStringLiteral("exit %1").arg(run.exitCode));
    if (run.check)
        run.check(run);
    run.requests = run.peer->requests();
    return true;
}

QStringList TestFaultMatrix::engineRuns()
{
    const QStringList requests = [] {
        Engine baseline(Fault::None, 0);
        baseline.download();
        return baseline.peer.requests();
    }();
    QStringList failures;
    for (const int at :
         numbersOf(requests, {"W " + addressOf(16), "q FC96#2", "R " + addressOf(28)})) {
        for (const Fault fault : AllFaults) {
            Engine engine(fault, at);
            engine.download();
            const QStringList problems = engine.untrue(fault);
            if (!problems.isEmpty())
                failures << QStringLiteral("window engine, download, %1 at %2 (%3): ")
                                    .arg(FaultPeer::faultName(fault))
                                    .arg(at)
                                    .arg(requests.value(at - 1)) +
                                problems.join("; ");
        }
    }
    return failures;
}

// Every command in both framings, first unspoilt (which also numbers its requests), then with
// each fault at each of its chosen requests, several at a time.
void TestFaultMatrix::nothingReportedIsUntrue()
{
    QStringList engineFailures;
    std::unique_ptr<QThread> engine(
        QThread::create([&engineFailures] { engineFailures = engineRuns(); }));
    engine->start();

    std::vector<std::unique_ptr<Run>> baselines;
    for (const Framing framing : {Framing::ModbusAscii, Framing::ModbusRtu}) {
        for (const Command &command : commands()) {
            baselines.push_back(prepare(command, framing, Fault::None, 0));
            start(*baselines.back());
        }
    }
    std::vector<std::unique_ptr<Run>> runs;
    for (std::size_t b = 0; b < baselines.size(); ++b) {
        Run &baseline = *baselines[b];
        while (!finished(baseline)) {
        }
        const QStringList &requests = baseline.requests;
        const Command &command = commands().at(int(b % std::size_t(commands().size())));
        for (const int at : command.targets(requests)) {
            for (const Fault fault : AllFaults) {
                runs.push_back(prepare(command, baseline.framing, fault, at));
                runs.back()->target = requests.value(at - 1);
            }
        }
    }

    std::vector<Run *> running;
    std::size_t next = 0;
    while (next < runs.size() || !running.empty()) {
        while (next < runs.size() && running.size() < Concurrent) {
            start(*runs[next]);
            running.push_back(runs[next++].get());
        }
        running.erase(
            std::remove_if(running.begin(), running.end(), [](Run *run) { return finished(*run); }),
            running.end());
    }
    engine->wait();

    QStringList failures = engineFailures;
    double slowest = 0;
    double total = 0;
    for (const auto &list : {&baselines, &runs}) {
        for (const std::unique_ptr<Run> &run : *list) {
            if (!run->problems.isEmpty())
                failures << run->name() + QStringLiteral(" exit %1: ").arg(run->exitCode) +
                                run->problems.join("; ");
            slowest = std::max(slowest, run->seconds);
            total += run->seconds;
            if (run->seconds > 4)
                qInfo("%s: %.1f s", qPrintable(run->name()), run->seconds);
        }
    }
    qInfo("%zu znctl runs, %.1f s of runs, the slowest %.1f s", baselines.size() + runs.size(),
          total, slowest);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));
    QVERIFY(runs.size() > 100u);
}

// A reply lost every few requests, again and again: the monitor stays online (the count of
// failures starts again at each good reply) and ends when its time is up.
void TestFaultMatrix::monitorRidesOutLostReplies()
{
    const std::unique_ptr<Run> run =
        runAlone({"monitor", {"monitor", "--seconds", "8"}, {}, {}}, Fault::NoReply, 20, 15);
    QVERIFY2(run->exitCode == 0, qPrintable(run->err));
    QVERIFY2(run->err.count(msg(451)) >= 6, qPrintable(run->err));
    QVERIFY(run->out.count('\n') > 20);
}

// A controller holding a value outside the limits a write of it would have (the alarm type
// changed after its value was set): its backup is written whole, says which value and how it is
// marked, and diff and download take it.
void TestFaultMatrix::backupHeldOutsideLimitsIsTaken()
{
    const auto outsideLimits = [](ScriptedController &controller) {
        controller.registers[addressOf(Code::Alarm1Type)] = 5; // process high
        controller.registers[addressOf(19)] = 1500;            // above the scaling high limit
    };
    std::unique_ptr<Run> upload =
        runAlone({"upload", {"upload", "--out", "OUT"}, {}, {}}, Fault::None, 0, 0, outsideLimits);
    QCOMPARE(upload->exitCode, 0);
    QVERIFY2(upload->err.contains("19 Alarm 1 value setting (1500)"), qPrintable(upload->err));
    const QString backup = upload->filePath("out.znm");
    const SettingsDataFile::ReadResult file = SettingsDataFile::read(backup);
    QVERIFY(file.ok());
    QCOMPARE(file.contents.heldOutsideLimits, QList<int>{19});

    const std::unique_ptr<Run> diff =
        runAlone({"diff", {"diff", backup}, {}, {}}, Fault::None, 0, 0, outsideLimits);
    QCOMPARE(diff->exitCode, 0);
    QVERIFY(diff->out.isEmpty());
    const std::unique_ptr<Run> download =
        runAlone({"download", {"download", backup}, {}, {}}, Fault::None, 0, 0,
                 [&](ScriptedController &controller) {
                     outsideLimits(controller);
                     controller.registers[addressOf(19)] = 1000;
                 });
    QVERIFY2(download->exitCode == 0, qPrintable(download->err));
    QCOMPARE(held(*download->peer, 19), qint16(1500));
}

QTEST_GUILESS_MAIN(TestFaultMatrix)
#include "tst_faultmatrix.moc"
