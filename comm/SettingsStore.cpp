#include "SettingsStore.h"

#include "base/ZN8P_INC.h"
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
    std::function<void(ZN8P_INC &, const QString &)> apply;
};

// The nine values in load order; the first seven are the communication conditions.
const std::array<Entry, 9> &entries()
{
    static const std::array<Entry, 9> table = {{
        {Port, "COM1", [](ZN8P_INC &inc, const QString &v) { inc.portName = v; }},
        {Speed, "9600", [](ZN8P_INC &inc, const QString &v) { inc.speedText = v; }},
        {Databit, "7", [](ZN8P_INC &inc, const QString &v) { inc.dataBitsText = v; }},
        {Stopbit, "1", [](ZN8P_INC &inc, const QString &v) { inc.stopBitsText = v; }},
        {Parity, "EVEN", [](ZN8P_INC &inc, const QString &v) { inc.parityText = v; }},
        // "7" is kept as "07"; what is no instrument number stays as it is, for the link check
        // to name, rather than becoming some instrument's number.
        {StrAdr, "01",
         [](ZN8P_INC &inc, const QString &v) {
             const QString number = InstrumentNumber::normalized(v);
             inc.stationAddress = number.isEmpty() ? v : number;
         }},
        {Protocol, "0",
         [](ZN8P_INC &inc, const QString &v) { inc.protocolIndex = SettingsStore::readNumber(v); }},
        {SSTab1, "0",
         [](ZN8P_INC &inc, const QString &v) { inc.sstab1Index = SettingsStore::readNumber(v); }},
        {SSTab2, "0",
         [](ZN8P_INC &inc, const QString &v) { inc.sstab2Index = SettingsStore::readNumber(v); }},
    }};
    return table;
}

constexpr int CommValueCount = 7;

const QString PortMapGroup = QStringLiteral("PortMap");

} // namespace

SettingsStore::SettingsStore(QSettings::Format format) : m_format(format) {}

const QString &SettingsStore::organization(bool secondKey)
{
    return secondKey ? SecondOrganization : FirstOrganization;
}

void SettingsStore::selectKeyAndLoad(ZN8P_INC &inc)
{
    const QString port = storedValue(false, Port);
    if (port.isNull())
        inc.useSecondKey = true;
    else
        inc.portName = port;
    if (inc.useSecondKey)
        regRead_New(inc);
    else
        regRead(inc);
}

void SettingsStore::regRead(ZN8P_INC &inc)
{
    load(inc, false);
}

void SettingsStore::regRead_New(ZN8P_INC &inc)
{
    load(inc, true);
}

void SettingsStore::load(ZN8P_INC &inc, bool secondKey)
{
    QSettings settings(m_format, QSettings::UserScope, organization(secondKey), Application);
    for (const Entry &entry : entries()) {
        if (settings.contains(entry.name)) {
            entry.apply(inc, settings.value(entry.name).toString());
        } else {
            const QString fallback = QLatin1String(entry.defaultText);
            entry.apply(inc, fallback);
            settings.setValue(entry.name, fallback);
        }
    }
}

void SettingsStore::loadCommValues(ZN8P_INC &inc)
{
    QSettings settings(m_format, QSettings::UserScope, organization(inc.useSecondKey), Application);
    for (int i = 0; i < CommValueCount; ++i) {
        const Entry &entry = entries()[i];
        if (settings.contains(entry.name))
            entry.apply(inc, settings.value(entry.name).toString());
    }
}

void SettingsStore::writeValue(const ZN8P_INC &inc, const QString &name, const QString &value)
{
    {
        QSettings settings(m_format, QSettings::UserScope, organization(inc.useSecondKey),
                           Application);
        settings.setValue(name, value);
    }
    const auto &all = entries();
    const bool commValue = std::any_of(all.begin(), all.begin() + CommValueCount,
                                       [&name](const Entry &entry) { return entry.name == name; });
    if (commValue && m_commChanged)
        m_commChanged();
}

void SettingsStore::writeProtocol(const ZN8P_INC &inc)
{
    const qint16 index =
        inc.protocolIndex == VendorFrame ? inc.savedProtocolIndex : inc.protocolIndex;
    writeValue(inc, Protocol, QString::number(index));
}

void SettingsStore::writeStation(const ZN8P_INC &inc)
{
    const QString number = InstrumentNumber::normalized(inc.stationAddress);
    if (!number.isEmpty())
        writeValue(inc, StrAdr, number);
}

void SettingsStore::storeCommConditions(const ZN8P_INC &inc)
{
    storeConnectedConditions(inc, inc.portName, inc.speedText, inc.dataBitsText, inc.stopBitsText,
                             inc.parityText);
}

void SettingsStore::storeConnectedConditions(const ZN8P_INC &inc, const QString &port,
                                             const QString &speed, const QString &dataBits,
                                             const QString &stopBits, const QString &parity)
{
    writeValue(inc, Port, port);
    writeValue(inc, Speed, speed);
    writeValue(inc, Databit, dataBits);
    writeValue(inc, Stopbit, stopBits);
    writeValue(inc, Parity, parity);
    writeStation(inc);
    writeProtocol(inc);
}

void SettingsStore::storeTabs(const ZN8P_INC &inc)
{
    writeValue(inc, SSTab1, QString::number(inc.sstab1Index));
    writeValue(inc, SSTab2, QString::number(inc.sstab2Index));
}

void SettingsStore::storeOnClose(const ZN8P_INC &inc)
{
    storeTabs(inc);
    if (inc.linkVerified)
        writeStation(inc);
    writeProtocol(inc);
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

QMap<QString, QString> SettingsStore::portMap(const ZN8P_INC &inc) const
{
    QMap<QString, QString> map;
    for (int n = 1; n <= 8; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        const QString key = PortMapGroup + QLatin1Char('/') + name;
        QString device = storedValue(inc.useSecondKey, key);
        if (device.isNull())
            device = storedValue(!inc.useSecondKey, key);
        if (!device.isEmpty())
            map.insert(name, device);
    }
    return map;
}

void SettingsStore::storePortMap(const ZN8P_INC &inc, const QMap<QString, QString> &map)
{
    for (int n = 1; n <= 8; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        writeValue(inc, PortMapGroup + QLatin1Char('/') + name, map.value(name));
    }
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
