#include "SettingsStore.h"

#include "base/SessionState.h"
#include "comm/InstrumentNumber.h"

#include <algorithm>
#include <array>

#include <functional>

const QString SettingsStore::FirstOrganization = QStringLiteral("Dorvatech RQA Control");
const QString SettingsStore::SecondOrganization = QStringLiteral("Dorvatech-QA Control");
const QString SettingsStore::Application = QStringLiteral("ZN Monitor");

namespace
{

const QString Port = QStringLiteral("Port");
const QString Speed = QStringLiteral("Speed");
const QString Databit = QStringLiteral("Databit");
const QString Stopbit = QStringLiteral("Stopbit");
const QString Parity = QStringLiteral("Parity");
const QString StrAdr = QStringLiteral("strAdr");
const QString Protocol = QStringLiteral("Protocol");
const QString SSTab1 = QStringLiteral("SSTab1");
const QString SSTab2 = QStringLiteral("SSTab2");

// One stored value: its name, its default text and where it lands in the shared state.
struct Entry {
    const QString &name;
    const char *defaultText;
    std::function<void(SessionState &, const QString &)> apply;
};

// The nine values in load order; the first seven are the communication conditions.
const std::array<Entry, 9> &entries()
{
    static const std::array<Entry, 9> table = {{
        {Port, "COM1", [](SessionState &shared, const QString &v) { shared.portName = v; }},
        {Speed, "9600", [](SessionState &shared, const QString &v) { shared.speedText = v; }},
        {Databit, "7", [](SessionState &shared, const QString &v) { shared.dataBitsText = v; }},
        {Stopbit, "1", [](SessionState &shared, const QString &v) { shared.stopBitsText = v; }},
        {Parity, "EVEN", [](SessionState &shared, const QString &v) { shared.parityText = v; }},
        // "7" is kept as "07"; what is no instrument number stays as it is, for the link check
        // to name, rather than becoming some instrument's number.
        {StrAdr, "01",
         [](SessionState &shared, const QString &v) {
             const QString number = InstrumentNumber::normalized(v);
             shared.stationAddress = number.isEmpty() ? v : number;
         }},
        {Protocol, "0",
         [](SessionState &shared, const QString &v) {
             shared.protocolIndex = SettingsStore::readNumber(v);
         }},
        {SSTab1, "0",
         [](SessionState &shared, const QString &v) {
             shared.mainTabIndex = SettingsStore::readNumber(v);
         }},
        {SSTab2, "0",
         [](SessionState &shared, const QString &v) {
             shared.settingTabIndex = SettingsStore::readNumber(v);
         }},
    }};
    return table;
}

constexpr int CommValueCount = 7;

const QString PortMapGroup = QStringLiteral("PortMap");
const QString NetworkAllowance = QStringLiteral("NetworkAllowance");
constexpr int DefaultNetworkAllowanceMs = 100;
constexpr int MaxNetworkAllowanceMs = 10000;

} // namespace

SettingsStore::SettingsStore(QSettings::Format format) : m_format(format) {}

const QString &SettingsStore::organization(bool secondKey)
{
    return secondKey ? SecondOrganization : FirstOrganization;
}

void SettingsStore::selectKeyAndLoad(SessionState &shared)
{
    const QString port = storedValue(false, Port);
    if (port.isNull())
        shared.useSecondKey = true;
    else
        shared.portName = port;
    if (shared.useSecondKey)
        loadFromSecondKey(shared);
    else
        loadFromFirstKey(shared);
}

void SettingsStore::loadFromFirstKey(SessionState &shared)
{
    load(shared, false);
}

void SettingsStore::loadFromSecondKey(SessionState &shared)
{
    load(shared, true);
}

void SettingsStore::load(SessionState &shared, bool secondKey)
{
    QSettings settings(m_format, QSettings::UserScope, organization(secondKey), Application);
    for (const Entry &entry : entries()) {
        if (settings.contains(entry.name)) {
            entry.apply(shared, settings.value(entry.name).toString());
        } else {
            const QString fallback = QLatin1String(entry.defaultText);
            entry.apply(shared, fallback);
            settings.setValue(entry.name, fallback);
        }
    }
}

void SettingsStore::loadCommValues(SessionState &shared)
{
    QSettings settings(m_format, QSettings::UserScope, organization(shared.useSecondKey),
                       Application);
    for (int i = 0; i < CommValueCount; ++i) {
        const Entry &entry = entries()[i];
        if (settings.contains(entry.name))
            entry.apply(shared, settings.value(entry.name).toString());
    }
}

void SettingsStore::writeValue(const CommConditions &conditions, const QString &name,
                               const QString &value)
{
    {
        QSettings settings(m_format, QSettings::UserScope, organization(conditions.useSecondKey),
                           Application);
        settings.setValue(name, value);
    }
    const auto &all = entries();
    const bool commValue = std::any_of(all.begin(), all.begin() + CommValueCount,
                                       [&name](const Entry &entry) { return entry.name == name; });
    if (commValue && m_commChanged)
        m_commChanged();
}

void SettingsStore::writeProtocol(const CommConditions &conditions)
{
    const qint16 index = conditions.protocolIndex == VendorFrame ? conditions.savedProtocolIndex
                                                                 : conditions.protocolIndex;
    writeValue(conditions, Protocol, QString::number(index));
}

void SettingsStore::writeStation(const CommConditions &conditions)
{
    const QString number = InstrumentNumber::normalized(conditions.stationAddress);
    if (!number.isEmpty())
        writeValue(conditions, StrAdr, number);
}

void SettingsStore::storeCommConditions(const CommConditions &conditions)
{
    storeConnectedConditions(conditions, conditions.portName, conditions.speedText,
                             conditions.dataBitsText, conditions.stopBitsText,
                             conditions.parityText);
}

void SettingsStore::storeConnectedConditions(const CommConditions &conditions, const QString &port,
                                             const QString &speed, const QString &dataBits,
                                             const QString &stopBits, const QString &parity)
{
    writeValue(conditions, Port, port);
    writeValue(conditions, Speed, speed);
    writeValue(conditions, Databit, dataBits);
    writeValue(conditions, Stopbit, stopBits);
    writeValue(conditions, Parity, parity);
    writeStation(conditions);
    writeProtocol(conditions);
}

void SettingsStore::storeTabs(const SessionState &shared)
{
    writeValue(shared, SSTab1, QString::number(shared.mainTabIndex));
    writeValue(shared, SSTab2, QString::number(shared.settingTabIndex));
}

void SettingsStore::storeOnClose(const SessionState &shared)
{
    storeTabs(shared);
    if (shared.linkVerified)
        writeStation(shared);
    writeProtocol(shared);
}

QString SettingsStore::storedValue(bool secondKey, const QString &name) const
{
    QSettings settings(m_format, QSettings::UserScope, organization(secondKey), Application);
    if (!settings.contains(name))
        return QString();
    const QString text = settings.value(name).toString();
    // An empty stored text is still a stored value.
    return text.isNull() ? QString(QLatin1String("")) : text;
}

QMap<QString, QString> SettingsStore::portMap(const CommConditions &conditions) const
{
    QMap<QString, QString> map;
    for (int n = 1; n <= 8; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        const QString key = PortMapGroup + QLatin1Char('/') + name;
        QString device = storedValue(conditions.useSecondKey, key);
        if (device.isNull())
            device = storedValue(!conditions.useSecondKey, key);
        if (!device.isEmpty())
            map.insert(name, device);
    }
    return map;
}

void SettingsStore::storePortMap(const CommConditions &conditions,
                                 const QMap<QString, QString> &map)
{
    for (int n = 1; n <= 8; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        writeValue(conditions, PortMapGroup + QLatin1Char('/') + name, map.value(name));
    }
}

int SettingsStore::networkAllowanceMs(const CommConditions &conditions) const
{
    QString text = storedValue(conditions.useSecondKey, NetworkAllowance);
    if (text.isNull())
        text = storedValue(!conditions.useSecondKey, NetworkAllowance);
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= 0 && value <= MaxNetworkAllowanceMs ? value : DefaultNetworkAllowanceMs;
}

void SettingsStore::storeNetworkAllowance(const CommConditions &conditions, int milliseconds)
{
    writeValue(conditions, NetworkAllowance, QString::number(milliseconds));
}

qint16 SettingsStore::readNumber(const QString &text)
{
    int i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 value = 0;
    int digits = 0;
    for (; i < text.size() && text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9');
         ++i) {
        value = value * 10 + (text.at(i).unicode() - '0');
        if (++digits > 6)
            return 0;
    }
    if (negative)
        value = -value;
    if (digits == 0 || value < -32768 || value > 32767)
        return 0;
    return static_cast<qint16>(value);
}
