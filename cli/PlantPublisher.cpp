#include "PlantPublisher.h"

#include "comm/ControllerCodes.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>

#include <cstdio>
#include <initializer_list>
#include <mutex>
#include <utility>

namespace
{

// The links report from their own threads; one line at a time.
void reportLine(const QString &line)
{
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
}

QJsonValue number(const QString &text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? QJsonValue(value) : QJsonValue(QJsonValue::Null);
}

QJsonValue bits(std::optional<quint16> word,
                std::initializer_list<std::pair<const char *, quint16>> named)
{
    if (!word)
        return QJsonValue::Null;
    QJsonObject object;
    for (const auto &[name, bit] : named)
        object.insert(QLatin1String(name), (*word & bit) != 0);
    return object;
}

} // namespace

PlantPublisher::PlantPublisher(const MqttOptions &options, const QString &password,
                               const QString &portName)
    : m_options(options), m_password(password), m_portName(portName)
{
}

PlantPublisher::~PlantPublisher()
{
    close();
}

quint64 PlantPublisher::close()
{
    if (m_closed)
        return 0;
    m_closed = true;
    for (auto &[station, link] : m_links) {
        link->setStatus(QByteArrayLiteral("offline"));
        link->stop();
    }
    // The links say goodbye side by side; each is waited for here.
    quint64 handed = 0;
    quint64 lost = 0;
    for (auto &[station, link] : m_links) {
        link->finish();
        handed += link->handed();
        lost += link->lost();
    }
    m_links.clear();
    if (lost > 0)
        reportLine(QStringLiteral("znctl: MQTT: %1 of %2 state messages were not delivered to the "
                                  "broker %3:%4")
                       .arg(lost)
                       .arg(handed)
                       .arg(m_options.host)
                       .arg(m_options.port));
    return lost;
}

void PlantPublisher::setOnline(int station, bool online)
{
    link(station).setStatus(online ? QByteArrayLiteral("online") : QByteArrayLiteral("offline"));
}

void PlantPublisher::publishRotation(int station, const TrendLogWriter::Sample &sample,
                                     std::optional<quint16> statusWord)
{
    link(station).publish(topic(station, "state"), stateMessage(sample, statusWord));
}

QByteArray PlantPublisher::stateMessage(const TrendLogWriter::Sample &sample,
                                        std::optional<quint16> statusWord)
{
    const QJsonObject message = {
        {QStringLiteral("time"), sample.at.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("pv"), number(sample.pv)},
        {QStringLiteral("sv"), number(sample.sv)},
        {QStringLiteral("mv1"), number(sample.mv1)},
        {QStringLiteral("mv2"), number(sample.mv2)},
        {QStringLiteral("lamps"), bits(statusWord, {{"out1", StatusBit::Out1},
                                                    {"out2", StatusBit::Out2},
                                                    {"autoTuning", StatusBit::AutoTuning}})},
        {QStringLiteral("alarms"), bits(statusWord, {{"alarm1", StatusBit::Alarm1},
                                                     {"alarm2", StatusBit::Alarm2},
                                                     {"heaterBurnout", StatusBit::HeaterBurnout},
                                                     {"overscale", StatusBit::OverScale},
                                                     {"underscale", StatusBit::UnderScale}})},
    };
    return QJsonDocument(message).toJson(QJsonDocument::Compact);
}

MqttLink &PlantPublisher::link(int station)
{
    std::unique_ptr<MqttLink> &link = m_links[station];
    if (!link) {
        MqttLink::Settings settings;
        settings.host = m_options.host;
        settings.port = m_options.port;
        settings.user = m_options.user;
        settings.password = m_password;
        settings.caFile = m_options.caFile;
        // Unique on the broker: another znctl's connection of the same name would push this one
        // off.
        settings.clientId = QStringLiteral("znctl-%1-%2-%3-%4")
                                .arg(QSysInfo::machineHostName())
                                .arg(QCoreApplication::applicationPid())
                                .arg(m_portName)
                                .arg(station);
        settings.statusTopic = topic(station, "status");
        settings.lostTopic = topic(station, "lost");
        settings.dataQos = m_options.qos;
        link = std::make_unique<MqttLink>(settings, reportLine);
    }
    return *link;
}

QByteArray PlantPublisher::topic(int station, const char *leaf) const
{
    return QStringLiteral("%1/%2/%3/%4")
        .arg(m_options.prefix, m_portName, QString::number(station), QLatin1String(leaf))
        .toUtf8();
}
