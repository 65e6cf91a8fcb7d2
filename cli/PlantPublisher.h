#pragma once

#include "MonitorRecord.h"
#include "MqttLink.h"
#include "MqttOptions.h"

#include <QByteArray>

#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Feeds monitor's values to a plant system over MQTT, per instrument on the line:
//   PREFIX/<port>/<instrument>/state   one JSON message per rotation (not retained)
//   PREFIX/<port>/<instrument>/status  "online" or "offline", retained; the last will
//   PREFIX/<port>/<instrument>/lost    state messages of this run not delivered, retained
// (<port> is COM1 ... COM8, or the last part of a device path). With --mqtt-discovery each
// instrument's sensors are also announced, retained, under homeassistant/..., which Home
// Assistant reads (and Node-RED's flows for it).
// Each instrument has a connection of its own, as a broker keeps one will per connection: a
// znctl that is killed leaves every instrument it served "offline".
class PlantPublisher
{
public:
    PlantPublisher(const MqttOptions &options, const QString &password, const QString &portName);
    // close(), when not done before.
    ~PlantPublisher();
    // Marks every instrument offline and says goodbye to the broker; says on standard error how
    // many state messages were not delivered, and returns that number.
    quint64 close();
    PlantPublisher(const PlantPublisher &) = delete;
    PlantPublisher &operator=(const PlantPublisher &) = delete;

    void setOnline(int station, bool online);
    // One rotation of the instrument record.instrument.
    void publishRotation(const MonitorRecord &record);

    // The record as JSON (MonitorRecord::json) on one line, with the time in UTC.
    static QByteArray stateMessage(const MonitorRecord &record);
    // The discovery messages of an instrument: topic and retained payload of each sensor.
    std::vector<std::pair<QByteArray, QByteArray>> discovery(const MonitorRecord &record) const;

private:
    MqttLink &link(int station);
    QByteArray topic(int station, const char *leaf) const;

    const MqttOptions m_options;
    const QString m_password;
    const QString m_portName;
    std::map<int, std::unique_ptr<MqttLink>> m_links;
    std::map<int, bool> m_announced;
    bool m_closed = false;
};
