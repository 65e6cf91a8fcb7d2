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
#include <set>
#include <thread>
#include <utility>
#include <vector>

struct mosquitto;

// One connection to an MQTT broker, served by a thread of its own so that a slow or absent broker
// never holds up the caller. Messages wait in a bounded queue (when it is full the oldest is
// dropped); a refused or lost connection is tried again after 1, 2, 4 ... up to 30 seconds. The
// retained status goes apart from the queue, latest wins, and is sent again on every new
// connection (a restarted broker may have forgotten it); the broker publishes the last will,
// "offline" on the same topic, when the connection ends without a goodbye.
//
// Every message handed to publish() ends up either delivered or lost, and is counted as one of
// the two: delivered once written to the broker's connection (QoS 0) or once the broker
// acknowledged it (QoS 1); lost when dropped from the full queue, when the connection that held
// it unsent (QoS 0) died, or when it was still queued or unacknowledged as the link finished. The
// count of those lost so far goes to the broker, retained, on every new connection and whenever it
// grows.
class MqttLink
{
public:
    struct Settings {
        QString host;
        int port = 0;
        QString user; // empty: anonymous
        QString password;
        bool tls = false;
        QString caFile;   // the broker's certificate checked against this CA; empty: the system's
        QString certFile; // with keyFile: the client certificate
        QString keyFile;
        QString clientId;
        QByteArray statusTopic;
        QByteArray lostTopic; // the retained count of messages lost
        int dataQos = 0;      // of the messages handed to publish()
    };
    // About 15 minutes of one message a second, a few hundred kilobytes.
    static constexpr std::size_t QueueLimit = 1000;

    // report gets a line, from the link's thread, when the broker is lost or refuses, and when it
    // is reached again after that.
    MqttLink(const Settings &settings, std::function<void(const QString &)> report);
    // Asks the link to finish: when connected it sends what is queued and the last status,
    // waiting at most a few seconds for the broker, and says goodbye, so that the will is not
    // published.
    void stop();
    // stop(), then waits for the link's thread; whatever was not delivered by then is lost.
    void finish();
    ~MqttLink();
    MqttLink(const MqttLink &) = delete;
    MqttLink &operator=(const MqttLink &) = delete;

    // The retained status (QoS 1), "online" or "offline".
    void setStatus(const QByteArray &status);
    // A message (QoS of the settings, not retained).
    void publish(const QByteArray &topic, const QByteArray &payload);
    // Retained messages (QoS 1) sent on every new connection before the others: what a plant
    // system's discovery reads. They are not counted among the messages handed over.
    void setAnnouncements(std::vector<std::pair<QByteArray, QByteArray>> announcements);
    // Messages handed to publish(), and of those the ones lost so far (all of them settled after
    // finish()).
    quint64 handed() const { return m_handed; }
    quint64 lost() const { return m_lost; }

private:
    struct Message {
        QByteArray topic;
        QByteArray payload;
    };

    void run();
    // Serves one connection from its start until it is lost, refused or the link stops. Returns
    // the reason it ended, empty when the link stopped.
    QString serve();
    // The status, and the count of lost messages, when they changed on this connection.
    void sendStatus();
    // Queued messages while the library's own outgoing buffer is empty and the broker has not too
    // many unacknowledged: a broker that reads slowly leaves the backlog in the bounded queue.
    // True when the queue is empty.
    bool sendQueued();
    bool flushed();
    void sayGoodbye();
    // The connection ended: what it held unsent under QoS 0 is gone (QoS 1 messages are sent
    // again on the next connection).
    void connectionEnded(const QString &reason);
    void waitBeforeRetry(std::chrono::seconds delay);
    // A message handed to the library reached the broker; false when messageId is none of them.
    bool delivered(int messageId);

    // Why a connection attempt or a pass of the loop ended in result: the TLS fault in words an
    // operator can act on, else the library's text.
    QString failure(int result) const;
    // The TLS part of that; empty when it was no TLS fault.
    QString tlsTrouble(int result, int systemError) const;

    static void onConnect(mosquitto *, void *link, int result);
    static void onLog(mosquitto *, void *link, int level, const char *text);
    static void onPublish(mosquitto *, void *link, int messageId);

    const Settings m_settings;
    const std::function<void(const QString &)> m_report;
    mosquitto *m_mosq = nullptr;

    std::mutex m_mutex; // guards m_queue, m_status and the wait for a retry
    std::condition_variable m_wake;
    std::deque<Message> m_queue;
    QByteArray m_status;
    std::vector<std::pair<QByteArray, QByteArray>> m_announcements;
    std::atomic<bool> m_stopping{false};
    std::atomic<quint64> m_handed{0};
    std::atomic<quint64> m_lost{0};
    bool m_finished = false; // the caller's thread alone

    // The link's thread alone.
    bool m_connected = false;
    QString m_refusal;       // the broker's answer to a refused login
    QString m_tlsError;      // the library's last TLS error on this connection
    QByteArray m_sentStatus; // on this connection
    std::size_t m_sentAnnouncements = 0;
    int m_statusMessageId = 0;
    bool m_statusAcknowledged = true;
    quint64 m_sentLost = 0; // the count last published on this connection
    bool m_lostSent = false;
    int m_lostMessageId = 0;
    bool m_lostAcknowledged = true;
    std::set<int> m_inFlight; // messages handed to the library, not yet delivered
    int m_publishingId = 0;   // the message being handed over: the library may deliver it at once
    bool m_publishing = false;
    bool m_publishedAtOnce = false;
    bool m_troubleReported = false;

    std::thread m_thread; // last: starts when everything above is in place
};
