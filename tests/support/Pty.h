#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// A pseudo-terminal pair, both sides raw: the component under test opens slavePath(), the test
// plays the controller on the master side. A pty has no baud rate; a peer that needs line speed
// paces its writes itself. Every wait here is bounded.
class Pty
{
public:
    Pty();
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool isOpen() const { return m_master >= 0; }
    // "/dev/pts/N"; gone from the file system once the master is closed.
    QString slavePath() const { return m_slavePath; }

    // Writes all of bytes to the master; false when it is closed or the write fails.
    bool write(const QByteArray &bytes);
    // What arrives on the master within timeoutMs (returns as soon as something came).
    QByteArray readSome(int timeoutMs);
    // Reads until isComplete(bytes read so far) or timeoutMs has passed.
    QByteArray readUntil(const std::function<bool(const QByteArray &)> &isComplete, int timeoutMs);
    // Closes both sides held here, like an unplugged adapter: the slave device disappears and
    // whoever has it open gets I/O errors.
    void closeMaster();

private:
    int m_master = -1;
    int m_slave = -1; // held open so that the line stays up while the component reopens it
    QString m_slavePath;
};

// What a PtyPeer does after one request has arrived.
struct PeerAnswer {
    QByteArray bytes;                   // written back; empty: no answer
    std::chrono::microseconds delay{0}; // before the first byte
    int chunkSize = 0;                  // > 0: written in pieces of this many bytes...
    int chunkPauseMs = 0;               // ...with this pause between them
    // > 0: one byte at a time at line speed, each written when its character time has passed (as a
    // UART hands it over after its stop bit)
    qint64 charMicros = 0;

    static PeerAnswer reply(const QByteArray &bytes) { return {bytes}; }
    static PeerAnswer silence() { return {}; }
};

// A controller played on the master side of a Pty in its own thread: reads one request (ended
// as requestEnd says), asks the responder what to do, does it, and so on until stopped or the
// line is closed.
class PtyPeer
{
public:
    using RequestEnd = std::function<bool(const QByteArray &)>;
    using Responder = std::function<PeerAnswer(const QByteArray &request)>;
    using Clock = std::chrono::steady_clock;

    PtyPeer(Pty &pty, RequestEnd requestEnd, Responder responder);
    ~PtyPeer();
    PtyPeer(const PtyPeer &) = delete;
    PtyPeer &operator=(const PtyPeer &) = delete;

    // A responder that gives answers in order, then silence.
    static Responder script(QList<PeerAnswer> answers);
    // Request ends: at the given last character, or after a fixed length.
    static RequestEnd endsWith(char last);
    static RequestEnd hasLength(int length);

    // Stops after the current answer (an answer being delayed is cut short) and joins.
    void stop();

    QList<QByteArray> requests() const;
    // When the last byte of each answer written so far was written.
    std::vector<Clock::time_point> answerTimes() const;
    // Waits until count answers have been written completely; false after timeoutMs.
    bool waitForAnswers(int count, int timeoutMs) const;

private:
    void run();
    void answer(const PeerAnswer &answer);
    // Sleeps until the time point; false when stopped meanwhile.
    bool sleepUntil(Clock::time_point until);

    Pty &m_pty;
    RequestEnd m_requestEnd;
    Responder m_responder;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_answered;
    QList<QByteArray> m_requests;
    std::vector<Clock::time_point> m_answerTimes;
    std::thread m_thread;
};
