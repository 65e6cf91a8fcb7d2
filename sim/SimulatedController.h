#pragma once

#include "sim/ControllerCore.h"
#include "sim/SimConfig.h"

#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class LineTransport;

// The simulated controller on a line (or several sharing it, each answering its own instrument
// number), in its own thread: it reads requests, answers them after the
// response delay with characters paced at the line speed, and advances the process every 100 ms.
// A request counts as arrived when its characters would have crossed a real line at the speed set,
// so that a request-reply cycle takes as long as on a real line even over a pseudo-terminal.
// start(), stop() and isRunning() belong to the owning thread; every other member may be called
// from any thread, also while it runs.
//
//   SimulatedController sim;             // station 1, Modbus ASCII, 9600 7E1
//   sim.setProtocol(WireProtocol::ModbusRtu);
//   QVERIFY(sim.start());                // a new pseudo-terminal
//   com.setPortName(...sim.slavePath()...);
//   sim.dropNext(1);                     // the next reply is lost
class SimulatedController
{
public:
    struct Options {
        LineConfig line;
        ModelOptions model;
        int inputType = 0;
        qint16 modeValue = RegisterBank::DefaultModeValue;
        double timeScale = 1.0;
        QString device;   // a serial device to answer on instead of a new pseudo-terminal
        QString linkPath; // a symbolic link to the pty slave, removed by stop()
        // Requests sent at another speed or number of stop bits (as the program set the pty) are
        // garbage, as on a real line. Off for tools that cannot set them.
        bool checkLineSettings = true;
        // Several controllers sharing the line, by instrument number, each with its own
        // registers, process and faults (line.station is then not used). The members below that
        // name no station act on the first.
        QList<int> stations;
    };

    SimulatedController();
    explicit SimulatedController(const Options &options);
    ~SimulatedController();
    SimulatedController(const SimulatedController &) = delete;
    SimulatedController &operator=(const SimulatedController &) = delete;

    // Opens the line and starts answering; false (see errorString) when the line did not open.
    bool start();
    // Stops answering, closes the line and removes the link. Also done by the destructor.
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    QString errorString() const;

    // The device to open: the pty slave ("/dev/pts/N"; a new one after unplug and plug) or the
    // serial device.
    QString slavePath() const;
    QString linkPath() const;

    // Line settings take effect with the next request (a serial device keeps the speed and format
    // it was opened with).
    LineConfig line() const;
    void setLine(const LineConfig &line);
    void setStation(int station);
    void setProtocol(WireProtocol protocol);
    void setSpeed(int speed);
    void setResponseDelayMs(int milliseconds);
    void setTimeScale(double scale);

    // Faults (see FaultInjector): each acts on the next count replies.
    void dropNext(int count);
    void dropFraction(double fraction);
    void corruptNext(int count);
    void truncateNext(int count);
    void noiseNext(int count);
    void delayNext(int count, int delayMs);
    void setSilent(bool silent);
    void clearFaults();
    // The front panel's keys are operated for this long (real time): writes are refused.
    void operateKeys(int milliseconds);
    // The keys go into operation for that long once this many more requests to this controller
    // have been answered (to refuse a transfer midway).
    void operateKeysAfter(int requests, int milliseconds);
    // The adapter is pulled out: the pty master closes and the slave device disappears.
    void unplug();
    // Plugged in again: a new pty (slavePath() changes; the link follows). False when it failed.
    bool plug();
    bool isPlugged() const;

    // Registers and items, unchecked (as the front panel or a test sets them).
    qint16 value(quint16 address) const;
    void setValue(quint16 address, qint16 value);
    // A front-panel setting change: raises status bit 0x8000.
    void panelSet(quint16 address, qint16 value);
    qint16 item(quint16 item) const;
    void setItem(quint16 item, qint16 value);
    bool inVendorFrame() const;
    int requestCount() const;
    // The requests addressed to this controller so far, oldest first (see RequestLog).
    QList<LoggedRequest> requestLog() const;
    void clearRequestLog();

    // Runs f on the (first) core under the lock, for anything the members above do not cover.
    void withCore(const std::function<void(ControllerCore &)> &f);
    // The same for the controller with this instrument number; nothing when there is none.
    void withStation(int station, const std::function<void(ControllerCore &)> &f);

private:
    static std::vector<std::unique_ptr<ControllerCore>> makeCores(const Options &options);
    void withEveryCore(const std::function<void(ControllerCore &)> &f);
    void run();
    void wake();
    // Under the lock: writes the characters of the pending replies whose time has come; the time
    // the next one is due.
    std::chrono::steady_clock::time_point sendDue(std::chrono::steady_clock::time_point now);

    struct Pending {
        QByteArray bytes;
        std::chrono::steady_clock::time_point start; // when its first character starts
        int sent = 0;
    };

    Options m_options;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<ControllerCore>> m_cores;
    ControllerCore &m_core; // the first
    std::unique_ptr<LineTransport> m_transport;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    int m_wakePipe[2] = {-1, -1};
    // Under the lock: the replies being sent, and a count of line openings so that the thread
    // never acts on a descriptor that was closed and reused meanwhile.
    std::deque<Pending> m_pending;
    int m_lineGeneration = 0;
};
