#include "MqttLink.h"

#include <mosquitto.h>

#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <cstring>

namespace
{

using Clock = std::chrono::steady_clock;

constexpr int KeepAliveSeconds = 30;
// How long one pass waits on the socket: also the longest a message waits before it is sent.
constexpr int LoopMilliseconds = 50;
constexpr std::chrono::seconds ConnectTimeout{10};
constexpr std::chrono::seconds FirstRetryDelay{1};
constexpr std::chrono::seconds LastRetryDelay{30};
constexpr std::chrono::seconds GoodbyeTimeout{3};

constexpr int StatusQos = 1;
// Unacknowledged messages the library holds at most: the backlog stays in the bounded queue.
constexpr std::size_t MaxInFlight = 100;
const QByteArray Offline = QByteArrayLiteral("offline");
// The system's CA certificates, one a file by hash, where Debian keeps them.
const char *const SystemCaFolder = "/etc/ssl/certs";

QString errorText(int result)
{
    // The library's text for a system error is a generic one; errno says what happened.
    if (result == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(result));
}

QByteArray utf8(const QString &text)
{
    return text.toUtf8();
}

} // namespace

MqttLink::MqttLink(const Settings &settings, std::function<void(const QString &)> report)
    : m_settings(settings), m_report(std::move(report))
{
    // Once per process, on the caller's thread (the library's set-up is not thread-safe).
    [[maybe_unused]] static const int libraryReady = mosquitto_lib_init();
    m_mosq = mosquitto_new(utf8(settings.clientId).constData(), true, this);
    if (!m_mosq) {
        m_report(QStringLiteral("znctl: MQTT: %1").arg(errorText(MOSQ_ERR_ERRNO)));
        return;
    }
    mosquitto_will_set(m_mosq, settings.statusTopic.constData(), int(Offline.size()),
                       Offline.constData(), StatusQos, true);
    if (!settings.user.isEmpty())
        mosquitto_username_pw_set(m_mosq, utf8(settings.user).constData(),
                                  utf8(settings.password).constData());
    if (settings.tls) {
        const QByteArray caFile = settings.caFile.toLocal8Bit();
        const QByteArray certFile = settings.certFile.toLocal8Bit();
        const QByteArray keyFile = settings.keyFile.toLocal8Bit();
        // Without a CA file of its own, the broker is checked against the system's CA store, as
        // a browser checks a web server.
        if (caFile.isEmpty())
            mosquitto_int_option(m_mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        const int result =
            mosquitto_tls_set(m_mosq, caFile.isEmpty() ? nullptr : caFile.constData(),
                              caFile.isEmpty() ? SystemCaFolder : nullptr,
                              certFile.isEmpty() ? nullptr : certFile.constData(),
                              keyFile.isEmpty() ? nullptr : keyFile.constData(), nullptr);
        if (result != MOSQ_ERR_SUCCESS)
            m_report(QStringLiteral("znctl: MQTT: TLS files %1: %2")
                         .arg(QStringList{settings.caFile, settings.certFile, settings.keyFile}
                                  .filter(QRegularExpression(QStringLiteral(".")))
                                  .join(QStringLiteral(", ")),
                              errorText(result)));
    }
    mosquitto_log_callback_set(m_mosq, onLog);
    mosquitto_connect_callback_set(m_mosq, onConnect);
    mosquitto_publish_callback_set(m_mosq, onPublish);
    m_thread = std::thread([this] { run(); });
}

void MqttLink::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
}

void MqttLink::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    stop();
    if (m_thread.joinable())
        m_thread.join();
    // What the link could not deliver in the end (no broker, a refused login, no acknowledgement
    // in time) is lost, and counted.
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lost += m_queue.size() + m_inFlight.size();
    m_queue.clear();
    m_inFlight.clear();
}

MqttLink::~MqttLink()
{
    finish();
    mosquitto_destroy(m_mosq);
}

void MqttLink::setStatus(const QByteArray &status)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status = status;
}

void MqttLink::publish(const QByteArray &topic, const QByteArray &payload)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_handed;
    if (m_queue.size() >= QueueLimit) {
        m_queue.pop_front();
        ++m_lost;
    }
    m_queue.push_back({topic, payload});
}

void MqttLink::setAnnouncements(std::vector<std::pair<QByteArray, QByteArray>> announcements)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_announcements = std::move(announcements);
}

void MqttLink::run()
{
    const QByteArray host = utf8(m_settings.host);
    std::chrono::seconds retryDelay = FirstRetryDelay;
    bool first = true;
    while (!m_stopping) {
        // The handshake may already fail inside the connect call, when the broker is quick.
        m_tlsError.clear();
        const int result = first ? mosquitto_connect_async(m_mosq, host.constData(),
                                                           m_settings.port, KeepAliveSeconds)
                                 : mosquitto_reconnect_async(m_mosq);
        first = false;
        const QString reason = result == MOSQ_ERR_SUCCESS ? serve() : failure(result);
        if (m_stopping)
            break;
        // A connection that was made starts the back-off afresh.
        if (m_connected)
            retryDelay = FirstRetryDelay;
        m_connected = false;
        connectionEnded(reason);
        waitBeforeRetry(retryDelay);
        retryDelay = std::min(retryDelay * 2, LastRetryDelay);
    }
}

QString MqttLink::serve()
{
    m_refusal.clear();
    const Clock::time_point start = Clock::now();
    while (true) {
        const int result = mosquitto_loop(m_mosq, LoopMilliseconds, 1);
        if (!m_refusal.isEmpty())
            return m_refusal;
        if (result != MOSQ_ERR_SUCCESS)
            return failure(result);
        if (!m_connected) {
            if (m_stopping)
                return QString();
            if (Clock::now() - start > ConnectTimeout)
                return QStringLiteral("no answer");
            continue;
        }
        if (m_stopping) {
            sayGoodbye();
            return QString();
        }
        sendStatus();
        sendQueued();
    }
}

void MqttLink::sendStatus()
{
    QByteArray status;
    std::vector<std::pair<QByteArray, QByteArray>> announcements;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        status = m_status;
        if (m_sentAnnouncements < m_announcements.size())
            announcements.assign(m_announcements.begin() + qsizetype(m_sentAnnouncements),
                                 m_announcements.end());
    }
    for (const auto &[topic, payload] : announcements) {
        if (mosquitto_publish(m_mosq, nullptr, topic.constData(), int(payload.size()),
                              payload.constData(), StatusQos, true) != MOSQ_ERR_SUCCESS)
            break;
        ++m_sentAnnouncements;
    }
    if (status != m_sentStatus) {
        m_statusAcknowledged = false;
        if (mosquitto_publish(m_mosq, &m_statusMessageId, m_settings.statusTopic.constData(),
                              int(status.size()), status.constData(), StatusQos,
                              true) == MOSQ_ERR_SUCCESS)
            m_sentStatus = status;
    }
    const quint64 lost = m_lost;
    if (!m_lostSent || lost != m_sentLost) {
        const QByteArray count = QByteArray::number(lost);
        m_lostAcknowledged = false;
        if (mosquitto_publish(m_mosq, &m_lostMessageId, m_settings.lostTopic.constData(),
                              int(count.size()), count.constData(), StatusQos,
                              true) == MOSQ_ERR_SUCCESS) {
            m_sentLost = lost;
            m_lostSent = true;
        }
    }
}

bool MqttLink::sendQueued()
{
    while (!mosquitto_want_write(m_mosq) && m_inFlight.size() < MaxInFlight) {
        Message message;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty())
                return true;
            message = std::move(m_queue.front());
            m_queue.pop_front();
        }
        // The library may write a QoS 0 message, and report it delivered, before it returns.
        m_publishing = true;
        m_publishedAtOnce = false;
        const int result = mosquitto_publish(
            m_mosq, &m_publishingId, message.topic.constData(), int(message.payload.size()),
            message.payload.constData(), m_settings.dataQos, false);
        m_publishing = false;
        if (result == MOSQ_ERR_NO_CONN || result == MOSQ_ERR_CONN_LOST) {
            // Not taken: it waits for the next connection, first in line.
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queue.push_front(std::move(message));
            return false;
        }
        if (result != MOSQ_ERR_SUCCESS)
            ++m_lost;
        else if (!m_publishedAtOnce)
            m_inFlight.insert(m_publishingId);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty();
}

bool MqttLink::flushed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty() && m_inFlight.empty() && m_status == m_sentStatus &&
           m_statusAcknowledged && m_lostSent && m_sentLost == m_lost && m_lostAcknowledged &&
           !mosquitto_want_write(m_mosq);
}

void MqttLink::sayGoodbye()
{
    // The last rotations before the status that ends them.
    const Clock::time_point deadline = Clock::now() + GoodbyeTimeout;
    while (!flushed() && Clock::now() < deadline) {
        if (sendQueued())
            sendStatus();
        if (mosquitto_loop(m_mosq, LoopMilliseconds, 1) != MOSQ_ERR_SUCCESS)
            return;
    }
    mosquitto_disconnect(m_mosq);
}

void MqttLink::connectionEnded(const QString &reason)
{
    if (m_settings.dataQos == 0) {
        m_lost += m_inFlight.size();
        m_inFlight.clear();
    }
    if (m_troubleReported)
        return;
    m_troubleReported = true;
    // The library's texts end with a full stop; the line goes on after the reason.
    QString text = reason;
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    m_report(QStringLiteral("znctl: MQTT broker %1:%2 for %3: %4; trying again")
                 .arg(m_settings.host)
                 .arg(m_settings.port)
                 .arg(QString::fromUtf8(m_settings.statusTopic), text));
}

void MqttLink::waitBeforeRetry(std::chrono::seconds delay)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_for(lock, delay, [this] { return bool(m_stopping); });
}

bool MqttLink::delivered(int messageId)
{
    if (m_publishing && messageId == m_publishingId) {
        m_publishedAtOnce = true;
        return true;
    }
    return m_inFlight.erase(messageId) > 0;
}

void MqttLink::onConnect(mosquitto *, void *link, int result)
{
    auto *self = static_cast<MqttLink *>(link);
    if (result != 0) {
        self->m_refusal = QString::fromUtf8(mosquitto_connack_string(result));
        return;
    }
    self->m_connected = true;
    self->m_sentStatus.clear();
    self->m_sentAnnouncements = 0;
    self->m_lostSent = false;
    if (self->m_troubleReported) {
        self->m_troubleReported = false;
        self->m_report(QStringLiteral("znctl: MQTT broker %1:%2 for %3: connected")
                           .arg(self->m_settings.host)
                           .arg(self->m_settings.port)
                           .arg(QString::fromUtf8(self->m_settings.statusTopic)));
    }
}

QString MqttLink::failure(int result) const
{
    const int systemError = errno;
    const QString trouble = tlsTrouble(result, systemError);
    errno = systemError;
    return trouble.isEmpty() ? errorText(result) : trouble;
}

QString MqttLink::tlsTrouble(int result, int systemError) const
{
    if (!m_settings.tls)
        return QString();
    // A broker that does not take the client's certificate ends the handshake with an alert,
    // after the client took the handshake as done. The library reports that only as a broken
    // connection before any answer to the login, and names no TLS fault when the broker closed
    // before the alert was read.
    if (m_tlsError.isEmpty()) {
        const bool broken =
            result == MOSQ_ERR_PROTOCOL || result == MOSQ_ERR_CONN_LOST ||
            (result == MOSQ_ERR_ERRNO &&
             (systemError == EPROTO || systemError == ECONNRESET || systemError == EPIPE));
        if (m_connected || !broken)
            return QString();
        errno = systemError;
        const QString reason = errorText(result);
        if (m_settings.certFile.isEmpty())
            return QStringLiteral("TLS: the broker closed the connection before answering the "
                                  "login; it probably wants a client certificate (give "
                                  "--mqtt-cert and --mqtt-key) (%1)")
                .arg(reason);
        return QStringLiteral("TLS: the broker did not accept the client certificate %1 (%2)")
            .arg(m_settings.certFile, reason);
    }
    const auto has = [this](const char *words) {
        return m_tlsError.contains(QLatin1String(words), Qt::CaseInsensitive);
    };
    const QString detail = QStringLiteral(" (%1)").arg(m_tlsError);
    if (has("certificate verify failed"))
        return QStringLiteral("TLS: the broker's certificate was not accepted: it is not signed "
                              "by %1, or not made out to %2")
                   .arg(m_settings.caFile.isEmpty()
                            ? QStringLiteral("a CA of the system's store (give --mqtt-cafile)")
                            : QStringLiteral("the CA of ") + m_settings.caFile,
                        m_settings.host) +
               detail;
    if (has("inconsistent") || has("key values mismatch"))
        return QStringLiteral("TLS: the key %1 does not belong to the client certificate %2")
                   .arg(m_settings.keyFile, m_settings.certFile) +
               detail;
    if (has("certificate required") || (has("handshake failure") && m_settings.certFile.isEmpty()))
        return QStringLiteral("TLS: the broker wants a client certificate (give --mqtt-cert and "
                              "--mqtt-key)") +
               detail;
    if (has("unknown ca") || has("bad certificate") || has("certificate unknown") ||
        has("handshake failure") || has("certificate expired") || has("access denied"))
        return QStringLiteral("TLS: the broker did not accept the client certificate %1")
                   .arg(m_settings.certFile) +
               detail;
    if (has("wrong version number") || has("packet length too long") || has("record layer"))
        return QStringLiteral("TLS: the broker does not speak TLS on port %1")
                   .arg(m_settings.port) +
               detail;
    return QStringLiteral("TLS: ") + m_tlsError;
}

void MqttLink::onLog(mosquitto *, void *link, int level, const char *text)
{
    auto *self = static_cast<MqttLink *>(link);
    // The library names the TLS fault only in its log: "OpenSSL Error[0]: error:0A000086:SSL
    // routines::certificate verify failed".
    if (level != MOSQ_LOG_ERR || !text)
        return;
    QString line = QString::fromUtf8(text);
    static const QRegularExpression openSsl(
        QStringLiteral("^OpenSSL Error\\[\\d+\\]: error:[0-9A-Fa-f]+:[^:]*:[^:]*:"));
    if (const QRegularExpressionMatch match = openSsl.match(line); match.hasMatch())
        line = line.mid(match.capturedLength());
    else if (!line.contains(QLatin1String("certificate"), Qt::CaseInsensitive) &&
             !line.contains(QLatin1String("TLS"), Qt::CaseInsensitive))
        return;
    if (line.startsWith(QLatin1String("Error: ")))
        line = line.mid(7);
    // The first is the cause; later ones follow from it.
    if (self->m_tlsError.isEmpty())
        self->m_tlsError = line.trimmed();
}

void MqttLink::onPublish(mosquitto *, void *link, int messageId)
{
    auto *self = static_cast<MqttLink *>(link);
    if (self->delivered(messageId))
        return;
    if (messageId == self->m_statusMessageId)
        self->m_statusAcknowledged = true;
    else if (messageId == self->m_lostMessageId)
        self->m_lostAcknowledged = true;
}
