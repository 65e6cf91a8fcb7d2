#include "sim/SimulatedController.h"

#include "sim/LineTransport.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>

using Clock = std::chrono::steady_clock;
using std::chrono::duration_cast;
using std::chrono::microseconds;
using std::chrono::milliseconds;

namespace
{
// The process advances in steps of this much real time.
constexpr milliseconds ProcessTick{100};
} // namespace

SimulatedController::SimulatedController() : SimulatedController(Options()) {}

SimulatedController::SimulatedController(const Options &options)
    : m_options(options), m_cores(makeCores(options)), m_core(*m_cores.front()),
      m_transport(std::make_unique<LineTransport>())
{
}

std::vector<std::unique_ptr<ControllerCore>> SimulatedController::makeCores(const Options &options)
{
    std::vector<std::unique_ptr<ControllerCore>> cores;
    const QList<int> stations =
        options.stations.isEmpty() ? QList<int>{options.line.station} : options.stations;
    for (const int station : stations) {
        LineConfig line = options.line;
        line.station = station;
        cores.push_back(std::make_unique<ControllerCore>(line, options.model, options.inputType,
                                                         options.modeValue));
        cores.back()->setTimeScale(options.timeScale);
    }
    return cores;
}

SimulatedController::~SimulatedController()
{
    stop();
}

bool SimulatedController::start()
{
    if (isRunning())
        return true;
    {
        std::lock_guard lock(m_mutex);
        const bool opened = m_options.device.isEmpty()
                                ? m_transport->openPty(m_options.linkPath)
                                : m_transport->openDevice(m_options.device, m_core.line());
        if (!opened)
            return false;
        ++m_lineGeneration;
    }
    if (pipe2(m_wakePipe, O_NONBLOCK | O_CLOEXEC) != 0) {
        m_transport->shutdown();
        return false;
    }
    m_stop = false;
    m_thread = std::thread([this] { run(); });
    return true;
}

void SimulatedController::stop()
{
    if (m_thread.joinable()) {
        m_stop = true;
        wake();
        m_thread.join();
    }
    std::lock_guard lock(m_mutex);
    m_transport->shutdown();
    m_pending.clear();
    for (int &fd : m_wakePipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

QString SimulatedController::errorString() const
{
    std::lock_guard lock(m_mutex);
    return m_transport->errorString();
}

void SimulatedController::wake()
{
    if (m_wakePipe[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t n = ::write(m_wakePipe[1], &byte, 1);
    }
}

Clock::time_point SimulatedController::sendDue(Clock::time_point now)
{
    const microseconds character{std::max<qint64>(1, m_core.line().characterMicros())};
    while (!m_pending.empty()) {
        Pending &reply = m_pending.front();
        // Character k has left the line (k + 1) character times after the reply's start.
        const auto elapsed = now - reply.start;
        const int due = elapsed < Clock::duration::zero()
                            ? 0
                            : int(std::min<qint64>(reply.bytes.size(), elapsed / character));
        if (due > reply.sent) {
            const qint64 written =
                m_transport->write(reply.bytes.mid(reply.sent, due - reply.sent));
            if (written < 0) {
                m_pending.clear();
                break;
            }
            reply.sent += int(written);
        }
        if (reply.sent < due) // the pty's buffer is full: nobody reads, try again shortly
            return now + milliseconds(1);
        if (reply.sent < reply.bytes.size())
            return reply.start + character * (reply.sent + 1);
        m_pending.pop_front();
    }
    return Clock::time_point::max();
}

void SimulatedController::run()
{
    Clock::time_point lastTick = Clock::now();
    Clock::time_point lastByte;
    // When the last byte read would have finished arriving on a real line: a pty hands over a
    // whole request at once, a line takes its characters' time.
    Clock::time_point inputEnd;
    bool awaitingQuiet = false;
    while (!m_stop) {
        Clock::time_point wakeAt = lastTick + ProcessTick;
        int fd = -1;
        int releaseWatch = -1;
        int generation = 0;
        {
            std::lock_guard lock(m_mutex);
            const Clock::time_point now = Clock::now();
            wakeAt = std::min(wakeAt, sendDue(now));
            for (const auto &core : m_cores) {
                const Clock::time_point quietAt = lastByte + microseconds(core->quietMicros());
                if (awaitingQuiet && quietAt > now)
                    wakeAt = std::min(wakeAt, quietAt);
            }
            fd = m_transport->fd();
            releaseWatch = m_transport->releaseWatchFd();
            generation = m_lineGeneration;
        }
        const auto wait = std::max(Clock::duration::zero(), wakeAt - Clock::now());
        const auto waitMicros = duration_cast<microseconds>(wait).count();
        timespec timeout{time_t(waitMicros / 1000000), long(waitMicros % 1000000) * 1000};
        // poll() passes over the entries of a line that is closed (-1).
        pollfd fds[3] = {{m_wakePipe[0], POLLIN, 0}, {fd, POLLIN, 0}, {releaseWatch, POLLIN, 0}};
        ppoll(fds, 3, &timeout, nullptr);
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (::read(m_wakePipe[0], drain, sizeof drain) > 0) {
            }
        }

        std::lock_guard lock(m_mutex);
        const Clock::time_point now = Clock::now();
        if (generation == m_lineGeneration && releaseWatch >= 0 && (fds[2].revents & POLLIN))
            m_transport->releaseSeen();
        if (generation == m_lineGeneration && fd >= 0 && (fds[1].revents & POLLIN)) {
            const QByteArray bytes = m_transport->readAvailable();
            // At other line settings a UART would read framing errors, never a request.
            const bool understood =
                !m_options.checkLineSettings || m_transport->lineMatches(m_core.line());
            if (!bytes.isEmpty() && understood) {
                lastByte = now;
                awaitingQuiet = true;
                const auto delay = milliseconds(m_core.line().responseDelayMs);
                const microseconds character{std::max<qint64>(1, m_core.line().characterMicros())};
                inputEnd = std::max(inputEnd, now) +
                           duration_cast<Clock::duration>(character * bytes.size());
                // Every controller on the line hears every request; only the one addressed
                // answers.
                QList<ControllerCore::Reply> replies;
                for (const auto &core : m_cores)
                    replies += core->receive(bytes);
                for (const ControllerCore::Reply &reply : replies) {
                    Clock::time_point start = inputEnd + delay + milliseconds(reply.extraDelayMs);
                    if (!m_pending.empty()) {
                        // Replies follow each other on the line, never overlap.
                        const Pending &last = m_pending.back();
                        const Clock::time_point lastEnd =
                            last.start +
                            duration_cast<Clock::duration>(character * last.bytes.size());
                        start = std::max(start, lastEnd);
                    }
                    m_pending.push_back({reply.bytes, start, 0});
                }
            }
        }
        if (awaitingQuiet) {
            awaitingQuiet = false;
            for (const auto &core : m_cores) {
                if (now - lastByte >= microseconds(core->quietMicros()))
                    core->lineQuiet();
                else
                    awaitingQuiet = true;
            }
        }
        if (!m_transport->isOpen())
            m_pending.clear();
        const auto sinceTick = duration_cast<milliseconds>(now - lastTick);
        if (sinceTick >= ProcessTick) {
            for (const auto &core : m_cores)
                core->advance(int(sinceTick.count()));
            lastTick += sinceTick;
        }
    }
}

QString SimulatedController::slavePath() const
{
    std::lock_guard lock(m_mutex);
    return m_transport->devicePath();
}

QString SimulatedController::linkPath() const
{
    std::lock_guard lock(m_mutex);
    return m_transport->linkPath();
}

LineConfig SimulatedController::line() const
{
    std::lock_guard lock(m_mutex);
    return m_core.line();
}

void SimulatedController::setLine(const LineConfig &line)
{
    withEveryCore([&](ControllerCore &core) {
        LineConfig own = line;
        own.station = core.line().station;
        core.setLine(own);
    });
    withCore([&](ControllerCore &core) { core.setLine(line); });
}

void SimulatedController::setStation(int station)
{
    withCore([&](ControllerCore &core) {
        LineConfig line = core.line();
        line.station = station;
        core.setLine(line);
    });
}

void SimulatedController::setProtocol(WireProtocol protocol)
{
    withEveryCore([&](ControllerCore &core) {
        LineConfig line = core.line();
        line.protocol = protocol;
        core.setLine(line);
    });
}

void SimulatedController::setSpeed(int speed)
{
    withEveryCore([&](ControllerCore &core) {
        LineConfig line = core.line();
        line.speed = speed;
        core.setLine(line);
    });
}

void SimulatedController::setResponseDelayMs(int milliseconds)
{
    withEveryCore([&](ControllerCore &core) {
        LineConfig line = core.line();
        line.responseDelayMs = milliseconds;
        core.setLine(line);
    });
}

void SimulatedController::setTimeScale(double scale)
{
    withEveryCore([&](ControllerCore &core) { core.setTimeScale(scale); });
}

void SimulatedController::dropNext(int count)
{
    withCore([&](ControllerCore &core) { core.faults().dropNext(count); });
}

void SimulatedController::dropFraction(double fraction)
{
    withCore([&](ControllerCore &core) { core.faults().dropFraction(fraction); });
}

void SimulatedController::corruptNext(int count)
{
    withCore([&](ControllerCore &core) { core.faults().corruptNext(count); });
}

void SimulatedController::truncateNext(int count)
{
    withCore([&](ControllerCore &core) { core.faults().truncateNext(count); });
}

void SimulatedController::noiseNext(int count)
{
    withCore([&](ControllerCore &core) { core.faults().noiseNext(count); });
}

void SimulatedController::delayNext(int count, int delayMs)
{
    withCore([&](ControllerCore &core) { core.faults().delayNext(count, delayMs); });
}

void SimulatedController::setSilent(bool silent)
{
    withCore([&](ControllerCore &core) { core.faults().setSilent(silent); });
}

void SimulatedController::clearFaults()
{
    withCore([&](ControllerCore &core) {
        core.faults().clear();
        core.operateKeys(0);
    });
}

void SimulatedController::operateKeys(int milliseconds)
{
    withCore([&](ControllerCore &core) { core.operateKeys(milliseconds); });
}

void SimulatedController::operateKeysAfter(int requests, int milliseconds)
{
    withCore([&](ControllerCore &core) { core.operateKeysAfter(requests, milliseconds); });
}

void SimulatedController::unplug()
{
    std::lock_guard lock(m_mutex);
    m_transport->close();
    m_pending.clear();
    ++m_lineGeneration;
    wake();
}

bool SimulatedController::plug()
{
    std::lock_guard lock(m_mutex);
    if (m_transport->isOpen())
        return true;
    const bool opened = m_transport->reopen();
    ++m_lineGeneration;
    wake();
    return opened;
}

bool SimulatedController::isPlugged() const
{
    std::lock_guard lock(m_mutex);
    return m_transport->isOpen();
}

qint16 SimulatedController::value(quint16 address) const
{
    std::lock_guard lock(m_mutex);
    return m_core.registers().value(address);
}

void SimulatedController::setValue(quint16 address, qint16 value)
{
    withCore([&](ControllerCore &core) { core.registers().set(address, value); });
}

void SimulatedController::panelSet(quint16 address, qint16 value)
{
    withCore([&](ControllerCore &core) { core.panelSet(address, value); });
}

qint16 SimulatedController::item(quint16 item) const
{
    std::lock_guard lock(m_mutex);
    return m_core.registers().item(item);
}

void SimulatedController::setItem(quint16 item, qint16 value)
{
    withCore([&](ControllerCore &core) { core.registers().setItem(item, value); });
}

bool SimulatedController::inVendorFrame() const
{
    std::lock_guard lock(m_mutex);
    return m_core.inVendorFrame();
}

int SimulatedController::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_core.requestCount();
}

QList<LoggedRequest> SimulatedController::requestLog() const
{
    std::lock_guard lock(m_mutex);
    return m_core.requestLog().entries();
}

void SimulatedController::clearRequestLog()
{
    withCore([](ControllerCore &core) { core.requestLog().clear(); });
}

void SimulatedController::withCore(const std::function<void(ControllerCore &)> &f)
{
    std::lock_guard lock(m_mutex);
    f(m_core);
    wake();
}

void SimulatedController::withStation(int station, const std::function<void(ControllerCore &)> &f)
{
    withEveryCore([&](ControllerCore &core) {
        if (core.line().station == station)
            f(core);
    });
}

void SimulatedController::withEveryCore(const std::function<void(ControllerCore &)> &f)
{
    std::lock_guard lock(m_mutex);
    for (const auto &core : m_cores)
        f(*core);
    wake();
}
