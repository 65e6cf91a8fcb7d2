#include "MqttLink.h"

#include <mosquitto.h>

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

constexpr int DataQos = 0;
constexpr int StatusQos = 1;
const QByteArray Offline = QByteArrayLiteral("offline");

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
    if (!settings.caFile.isEmpty()) {
        const int result = mosquitto_tls_set(m_mosq, settings.caFile.toLocal8Bit().constData(),
                                             nullptr, nullptr, nullptr, nullptr);
        if (result != MOSQ_ERR_SUCCESS)
            m_report(QStringLiteral("znctl: MQTT: CA file %1: %2")
                         .arg(settings.caFile, errorText(result)));
    }
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

MqttLink::~MqttLink()
{
    stop();
    if (m_thread.joinable())
        m_thread.join();
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
    if (m_queue.size() >= QueueLimit) {
        m_queue.pop_front();
        ++m_dropped;
    }
    m_queue.push_back({topic, payload});
}

void MqttLink::run()
{
    const QByteArray host = utf8(m_settings.host);
    std::chrono::seconds retryDelay = FirstRetryDelay;
    bool first = true;
    while (!m_stopping) {
        const int result = first ? mosquitto_connect_async(m_mosq, host.constData(),
                                                           m_settings.port, KeepAliveSeconds)
                                 : mosquitto_reconnect_async(m_mosq);
        first = false;
        const QString reason = result == MOSQ_ERR_SUCCESS ? serve() : errorText(result);
        if (m_stopping)
            break;
        // A connection that was made starts the back-off afresh.
        if (m_connected)
            retryDelay = FirstRetryDelay;
        m_connected = false;
        lost(reason);
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
            return errorText(result);
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
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        status = m_status;
    }
    if (status != m_sentStatus) {
        m_statusAcknowledged = false;
        if (mosquitto_publish(m_mosq, &m_statusMessageId, m_settings.statusTopic.constData(),
                              int(status.size()), status.constData(), StatusQos,
                              true) == MOSQ_ERR_SUCCESS)
            m_sentStatus = status;
    }
}

bool MqttLink::sendQueued()
{
    while (!mosquitto_want_write(m_mosq)) {
        Message message;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_queue.empty())
                return true;
            message = std::move(m_queue.front());
            m_queue.pop_front();
        }
        mosquitto_publish(m_mosq, nullptr, message.topic.constData(), int(message.payload.size()),
                          message.payload.constData(), DataQos, false);
    }
    return false;
}

bool MqttLink::flushed()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty() && m_status == m_sentStatus && m_statusAcknowledged &&
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

void MqttLink::lost(const QString &reason)
{
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

void MqttLink::onConnect(mosquitto *, void *link, int result)
{
    auto *self = static_cast<MqttLink *>(link);
    if (result != 0) {
        self->m_refusal = QString::fromUtf8(mosquitto_connack_string(result));
        return;
    }
    self->m_connected = true;
    self->m_sentStatus.clear();
    if (self->m_troubleReported) {
        self->m_troubleReported = false;
        self->m_report(QStringLiteral("znctl: MQTT broker %1:%2 for %3: connected")
                           .arg(self->m_settings.host)
                           .arg(self->m_settings.port)
                           .arg(QString::fromUtf8(self->m_settings.statusTopic)));
    }
}

void MqttLink::onPublish(mosquitto *, void *link, int messageId)
{
    auto *self = static_cast<MqttLink *>(link);
    if (messageId == self->m_statusMessageId)
        self->m_statusAcknowledged = true;
}
