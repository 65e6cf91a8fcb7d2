#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

struct mosquitto;

// One connection to an MQTT broker, served by a thread of its own so that a slow or absent broker
// never holds up the caller. Messages wait in a bounded queue (when it is full the oldest is
// dropped and counted); a refused or lost connection is tried again after 1, 2, 4 ... up to 30
// seconds. The retained status goes apart from the queue, latest wins, and is sent again on every
// new connection (a restarted broker may have forgotten it); the broker publishes the last will,
// "offline" on the same topic, when the connection ends without a goodbye.
class MqttLink
{
public:
    struct Settings {
        QString host;
        int port = 0;
        QString user; // empty: anonymous
        QString password;
        QString caFile; // given: TLS, the broker's certificate checked against this CA
        QString clientId;
        QByteArray statusTopic;
    };
    // About 15 minutes of one message a second, a few hundred kilobytes.
    static constexpr std::size_t QueueLimit = 1000;

    // report gets a line, from the link's thread, when the broker is lost or refuses, and when it
    // is reached again after that.
    MqttLink(const Settings &settings, std::function<void(const QString &)> report);
    // Asks the link to finish: when connected it sends what is queued and the last status,
    // waiting at most a few seconds for the broker, and says goodbye, so that the will is not
    // published. The destructor asks too, and waits for it.
    void stop();
    ~MqttLink();
    MqttLink(const MqttLink &) = delete;
    MqttLink &operator=(const MqttLink &) = delete;

    // The retained status (QoS 1), "online" or "offline".
    void setStatus(const QByteArray &status);
    // A message (QoS 0, not retained).
    void publish(const QByteArray &topic, const QByteArray &payload);
    // Messages dropped from the full queue.
    quint64 dropped() const { return m_dropped; }

private:
    struct Message {
        QByteArray topic;
        QByteArray payload;
    };

    void run();
    // Serves one connection from its start until it is lost, refused or the link stops. Returns
    // the reason it ended, empty when the link stopped.
    QString serve();
    // The status when it changed.
    void sendStatus();
    // Queued messages while the library's own outgoing buffer is empty: a broker that reads
    // slowly leaves the backlog in the bounded queue. True when the queue is empty.
    bool sendQueued();
    bool flushed();
    void sayGoodbye();
    void lost(const QString &reason);
    void waitBeforeRetry(std::chrono::seconds delay);

    static void onConnect(mosquitto *, void *link, int result);
    static void onPublish(mosquitto *, void *link, int messageId);

    const Settings m_settings;
    const std::function<void(const QString &)> m_report;
    mosquitto *m_mosq = nullptr;

    std::mutex m_mutex; // guards m_queue, m_status and the wait for a retry
    std::condition_variable m_wake;
    std::deque<Message> m_queue;
    QByteArray m_status;
    std::atomic<bool> m_stopping{false};
    std::atomic<quint64> m_dropped{0};

    // The link's thread alone.
    bool m_connected = false;
    QString m_refusal;       // the broker's answer to a refused login
    QByteArray m_sentStatus; // on this connection
    int m_statusMessageId = 0;
    bool m_statusAcknowledged = true;
    bool m_troubleReported = false;

    std::thread m_thread; // last: starts when everything above is in place
};
