#include "PlantPublisher.h"

#include "PortOption.h"
#include "comm/InstrumentNumber.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSysInfo>

#include <cstdio>
#include <mutex>

namespace
{

// The links report from their own threads; one line at a time.
void reportLine(const QString &line)
{
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    std::fputs(qPrintable(line + QLatin1Char('\n')), stderr);
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

void PlantPublisher::publishRotation(const MonitorRecord &record)
{
    MqttLink &instrument = link(record.instrument);
    if (m_options.discovery && !m_announced[record.instrument]) {
        instrument.setAnnouncements(discovery(record));
        m_announced[record.instrument] = true;
    }
    instrument.publish(topic(record.instrument, "state"), stateMessage(record));
}

QByteArray PlantPublisher::stateMessage(const MonitorRecord &record)
{
    return QJsonDocument(record.json(true)).toJson(QJsonDocument::Compact);
}

std::vector<std::pair<QByteArray, QByteArray>>
PlantPublisher::discovery(const MonitorRecord &record) const
{
    // One device per instrument, named by this host, port and instrument so that two lines (or
    // two boxes) never share an id.
    static const QRegularExpression unfit(QStringLiteral("[^A-Za-z0-9_-]"));
    const QString node = QStringLiteral("zn8p_%1_%2_%3")
                             .arg(QSysInfo::machineHostName(), PortOption::label(m_portName),
                                  InstrumentNumber::text(record.instrument))
                             .replace(unfit, QStringLiteral("_"));
    const QString state = QString::fromUtf8(topic(record.instrument, "state"));
    const QJsonObject device = {
        {QStringLiteral("identifiers"), QJsonArray{node}},
        {QStringLiteral("name"), QStringLiteral("ZN8P %1 instrument %2")
                                     .arg(m_portName, InstrumentNumber::text(record.instrument))},
        {QStringLiteral("model"), QStringLiteral("ZN8P")},
        {QStringLiteral("manufacturer"), QStringLiteral("Dorvatech RQA Control")},
    };
    std::vector<std::pair<QByteArray, QByteArray>> messages;
    const auto add = [&](const char *component, const QString &key, const QString &name,
                         QJsonObject config) {
        config.insert(QStringLiteral("name"), name);
        config.insert(QStringLiteral("unique_id"), node + QLatin1Char('_') + key);
        config.insert(QStringLiteral("state_topic"), state);
        config.insert(QStringLiteral("availability_topic"),
                      QString::fromUtf8(topic(record.instrument, "status")));
        config.insert(QStringLiteral("device"), device);
        messages.emplace_back(QStringLiteral("homeassistant/%1/%2/%3/config")
                                  .arg(QLatin1String(component), node, key)
                                  .toUtf8(),
                              QJsonDocument(config).toJson(QJsonDocument::Compact));
    };
    const auto value = [](const QString &key, const QString &unit, const char *deviceClass) {
        QJsonObject config = {
            {QStringLiteral("value_template"), QStringLiteral("{{ value_json.%1 }}").arg(key)},
            {QStringLiteral("state_class"), QStringLiteral("measurement")},
        };
        if (!unit.isEmpty())
            config.insert(QStringLiteral("unit_of_measurement"), unit);
        if (deviceClass)
            config.insert(QStringLiteral("device_class"), QLatin1String(deviceClass));
        return config;
    };
    const char *temperature = record.unit.isEmpty() ? nullptr : "temperature";
    add("sensor", QStringLiteral("pv"), QStringLiteral("PV"),
        value("pv", record.unit, temperature));
    add("sensor", QStringLiteral("sv"), QStringLiteral("SV"),
        value("sv", record.unit, temperature));
    add("sensor", QStringLiteral("mv1"), QStringLiteral("MV1"), value("mv1", "%", nullptr));
    if (record.secondOutput)
        add("sensor", QStringLiteral("mv2"), QStringLiteral("MV2"), value("mv2", "%", nullptr));
    for (const char *alarm : {"alarm1", "alarm2", "heaterBurnout", "overscale", "underscale"}) {
        add("binary_sensor", QLatin1String(alarm), QLatin1String(alarm),
            {{QStringLiteral("value_template"),
              QStringLiteral("{{ 'ON' if value_json.alarms and value_json.alarms.%1 else 'OFF' }}")
                  .arg(QLatin1String(alarm))},
             {QStringLiteral("device_class"), QStringLiteral("problem")}});
    }
    return messages;
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
        settings.tls = m_options.tls();
        settings.caFile = m_options.caFile;
        settings.certFile = m_options.certFile;
        settings.keyFile = m_options.keyFile;
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
        .arg(m_options.prefix, PortOption::label(m_portName), QString::number(station),
             QLatin1String(leaf))
        .toUtf8();
}
