#pragma once

#include "MqttLink.h"
#include "MqttOptions.h"
#include "chart/TrendLogWriter.h"

#include <QByteArray>

#include <map>
#include <memory>
#include <optional>

// Feeds monitor's values to a plant system over MQTT, per instrument on the line:
//   PREFIX/<port>/<instrument>/state   one JSON message per rotation (not retained)
//   PREFIX/<port>/<instrument>/status  "online" or "offline", retained; the last will
//   PREFIX/<port>/<instrument>/lost    state messages of this run not delivered, retained
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
    // One rotation's values as shown ("----" when not read) and the status word when it was read.
    void publishRotation(int station, const TrendLogWriter::Sample &sample,
                         std::optional<quint16> statusWord);

    // {"alarms":{"alarm1":false,"alarm2":false,"heaterBurnout":false,"overscale":false,
    //            "underscale":false},
    //  "lamps":{"autoTuning":false,"out1":true,"out2":false},
    //  "mv1":42.5,"mv2":null,"pv":25.3,"sv":100,"time":"2026-07-04T00:05:03.120Z"}
    // on one line, with the time in UTC, a value not read (or "----") as null, and lamps and
    // alarms null when the status word was not read.
    static QByteArray stateMessage(const TrendLogWriter::Sample &sample,
                                   std::optional<quint16> statusWord);

private:
    MqttLink &link(int station);
    QByteArray topic(int station, const char *leaf) const;

    const MqttOptions m_options;
    const QString m_password;
    const QString m_portName;
    std::map<int, std::unique_ptr<MqttLink>> m_links;
    bool m_closed = false;
};
