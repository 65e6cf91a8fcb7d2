// What recording the line's traffic costs: monitor polls per second through the job-1 path
// against the simulated controller with the traffic log off, on, and on with a reader taking the
// new records every 100 ms as the line traffic view does; the rows take turns so that the load of
// other programs falls on each alike, and each shows its best run. Then the time record() takes
// per exchange, and the memory the log holds after 10^6 exchanges against after its ring first
// filled.
//
//   bench-traffic [seconds per run, default 5] [rounds, default 3]

#include "BenchSession.h"
#include "comm/TrafficLog.h"
#include "polling/PollingCycle.h"
#include "sim/SimulatedController.h"
#include "tests/support/ProcessFigures.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace
{

enum class Recording { Off, On, OnWithReader };

double pollRate(BenchSession &session, Recording recording, double seconds)
{
    session.core.link.setTrafficLog(recording == Recording::Off ? nullptr : &session.core.traffic);
    PollingCycle &polling = session.core.polling;
    quint64 seen = session.core.traffic.lastSerial();
    QElapsedTimer readerClock;
    readerClock.start();
    int polls = 0;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        polling.runMonitorJob();
        ++polls;
        if (recording == Recording::OnWithReader && readerClock.elapsed() >= 100) {
            const QList<TrafficRecord> records = session.core.traffic.since(seen);
            if (!records.isEmpty())
                seen = records.last().serial;
            readerClock.restart();
        }
    }
    return double(polls) / (double(clock.nsecsElapsed()) / 1e9);
}

// A record as the line gives one: a request and a reply of their own bytes.
TrafficRecord exchange(int i)
{
    TrafficRecord record;
    record.port = QStringLiteral("COM1");
    record.speed = QStringLiteral("9600");
    record.station = QStringLiteral("01");
    record.command = QStringLiteral("03");
    record.address = QStringLiteral("00010001");
    record.request = QByteArray::number(i, 16).rightJustified(17, '0');
    record.reply = QByteArray::number(i).rightJustified(15, '0');
    record.replyText = QString::fromLatin1(record.reply);
    record.responseMs = i % 40;
    record.verdict = ReplyVerdict::Ok;
    return record;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(0.5, std::atof(argv[1])) : 5.0;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;

    std::printf("load average before: %s\n", qPrintable(ProcessFigures::loadAverage()));
    SimulatedController::Options options;
    options.line = benchLine(WireProtocol::ModbusAscii, 9600);
    SimulatedController sim(options);
    if (!sim.start()) {
        std::printf("simulator did not start\n");
        return 1;
    }
    BenchSession session(ModbusAscii, 9600, sim.slavePath(),
                         [](PortNames names) { return std::make_unique<CountingCom>(names); });
    if (!session.open()) {
        std::printf("port does not open\n");
        return 1;
    }
    const Recording kinds[] = {Recording::Off, Recording::On, Recording::OnWithReader};
    const char *names[] = {"off", "on", "on, view reading"};
    double best[3] = {0, 0, 0};
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < 3; ++k)
            best[k] = std::max(best[k], pollRate(session, kinds[k], seconds));
    }
    std::printf("Monitor polls, Modbus ASCII 9600 bit/s against zn8p-sim, best of %d runs of "
                "%.0f s:\n",
                rounds, seconds);
    std::printf("%-18s %10s %10s\n", "recording", "polls/s", "of off");
    for (int k = 0; k < 3; ++k)
        std::printf("%-18s %10.2f %9.1f %%\n", names[k], best[k], 100.0 * best[k] / best[0]);

    // The log's own cost, without the line: 10^6 exchanges into the default ring.
    constexpr int Total = 1000000;
    TrafficLog log;
    for (int i = 0; i < TrafficLog::DefaultCapacity; ++i)
        log.record(exchange(i));
    const qint64 fullRing = ProcessFigures::residentKb();
    QElapsedTimer clock;
    clock.start();
    for (int i = TrafficLog::DefaultCapacity; i < Total; ++i)
        log.record(exchange(i));
    const double nsPerRecord =
        double(clock.nsecsElapsed()) / double(Total - TrafficLog::DefaultCapacity);
    const qint64 afterAll = ProcessFigures::residentKb();
    std::printf("\nrecord() with the record made: %.0f ns per exchange\n", nsPerRecord);
    std::printf("resident memory: %.1f MB with the ring first full (%d), %.1f MB after %d\n",
                double(fullRing) / 1024, TrafficLog::DefaultCapacity, double(afterAll) / 1024,
                Total);
    std::printf("load average after: %s\n", qPrintable(ProcessFigures::loadAverage()));
    return 0;
}
