#include "Pty.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

static void makeRaw(int fd)
{
    termios attributes{};
    if (tcgetattr(fd, &attributes) == 0) {
        cfmakeraw(&attributes);
        tcsetattr(fd, TCSANOW, &attributes);
    }
}

Pty::Pty()
{
    char name[256] = {};
    if (openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        m_master = m_slave = -1;
        return;
    }
    makeRaw(m_slave);
    makeRaw(m_master);
    m_slavePath = QString::fromLocal8Bit(name);
}

Pty::~Pty()
{
    closeMaster();
}

bool Pty::write(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno != EINTR)
            return false;
        if (n > 0)
            done += n;
    }
    return m_master >= 0;
}

QByteArray Pty::readSome(int timeoutMs)
{
    if (m_master < 0)
        return {};
    pollfd fd{m_master, POLLIN, 0};
    if (poll(&fd, 1, timeoutMs) <= 0 || !(fd.revents & POLLIN))
        return {};
    char buffer[512];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    return n > 0 ? QByteArray(buffer, int(n)) : QByteArray();
}

QByteArray Pty::readUntil(const std::function<bool(const QByteArray &)> &isComplete, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    QByteArray bytes;
    while (!isComplete(bytes) && m_master >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        bytes += readSome(int(left.count()));
    }
    return bytes;
}

void Pty::closeMaster()
{
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_master = m_slave = -1;
}

PtyPeer::PtyPeer(Pty &pty, RequestEnd requestEnd, Responder responder)
    : m_pty(pty), m_requestEnd(std::move(requestEnd)), m_responder(std::move(responder)),
      m_thread([this] { run(); })
{
}

PtyPeer::~PtyPeer()
{
    stop();
}

PtyPeer::Responder PtyPeer::script(QList<PeerAnswer> answers)
{
    auto queue = std::make_shared<QList<PeerAnswer>>(std::move(answers));
    return [queue](const QByteArray &) {
        return queue->isEmpty() ? PeerAnswer::silence() : queue->takeFirst();
    };
}

PtyPeer::RequestEnd PtyPeer::endsWith(char last)
{
    return [last](const QByteArray &bytes) { return bytes.endsWith(last); };
}

PtyPeer::RequestEnd PtyPeer::hasLength(int length)
{
    return [length](const QByteArray &bytes) { return bytes.size() >= length; };
}

void PtyPeer::stop()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
}

QList<QByteArray> PtyPeer::requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::vector<PtyPeer::Clock::time_point> PtyPeer::answerTimes() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_answerTimes;
}

bool PtyPeer::waitForAnswers(int count, int timeoutMs) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_answered.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return int(m_answerTimes.size()) >= count; });
}

void PtyPeer::run()
{
    QByteArray pending;
    while (!m_stop && m_pty.isOpen()) {
        pending += m_pty.readSome(20);
        if (pending.isEmpty() || !m_requestEnd(pending))
            continue;
        const QByteArray request = pending;
        pending.clear();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.append(request);
        }
        answer(m_responder(request));
    }
}

void PtyPeer::answer(const PeerAnswer &answer)
{
    const auto start = Clock::now() + answer.delay;
    if (!sleepUntil(start))
        return;
    if (answer.bytes.isEmpty())
        return;
    if (answer.charMicros > 0) {
        for (qsizetype i = 0; i < answer.bytes.size(); ++i) {
            if (!sleepUntil(start + std::chrono::microseconds(answer.charMicros * (i + 1))))
                return;
            m_pty.write(answer.bytes.mid(i, 1));
        }
    } else if (answer.chunkSize > 0) {
        for (qsizetype at = 0; at < answer.bytes.size(); at += answer.chunkSize) {
            if (at > 0 &&
                !sleepUntil(Clock::now() + std::chrono::milliseconds(answer.chunkPauseMs)))
                return;
            m_pty.write(answer.bytes.mid(at, answer.chunkSize));
        }
    } else {
        m_pty.write(answer.bytes);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_answerTimes.push_back(Clock::now());
    }
    m_answered.notify_all();
}

bool PtyPeer::sleepUntil(Clock::time_point until)
{
    constexpr auto slice = std::chrono::milliseconds(20);
    while (!m_stop && Clock::now() + slice < until)
        std::this_thread::sleep_for(slice);
    if (!m_stop)
        std::this_thread::sleep_until(until);
    return !m_stop;
}
