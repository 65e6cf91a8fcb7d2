#include "PortNames.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

PortNames::PortNames(QMap<QString, QString> map) : m_map(std::move(map)) {}

QString PortNames::deviceFor(const QString &comName) const
{
    const auto mapped = m_map.constFind(comName);
    if (mapped != m_map.constEnd())
        return mapped.value();
    const int index = int(comNames().indexOf(comName));
    if (index < 0)
        return {};
#ifdef Q_OS_WIN
    return comName;
#else
    const QStringList locations = systemLocations();
    return index < locations.size() ? locations.at(index) : QString();
#endif
}

QStringList PortNames::systemLocations()
{
    const QMap<QString, QString> links = stableLinks(QStringLiteral("/dev/serial/by-id"));
    QList<SystemPort> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        ports.append({info.portName(), info.systemLocation(), info.hasVendorIdentifier(),
                      links.value(info.systemLocation())});
    return orderedLocations(ports);
}

QStringList PortNames::comNames()
{
    QStringList names;
    for (int n = 1; n <= 8; ++n)
        names.append(QStringLiteral("COM%1").arg(n));
    return names;
}

// Device paths in natural order: "/dev/ttyS2" before "/dev/ttyS10".
static bool locationLess(const QString &a, const QString &b)
{
    const auto split = [](const QString &location) {
        int digits = int(location.size());
        while (digits > 0 && location.at(digits - 1).isDigit())
            --digits;
        return std::make_pair(location.left(digits), location.mid(digits).toULongLong());
    };
    return split(a) != split(b) ? split(a) < split(b) : a < b;
}

QStringList PortNames::orderedLocations(QList<SystemPort> ports)
{
    const auto isUsb = [](const SystemPort &port) {
        return port.hasVendorId || port.name.contains(QLatin1String("ttyUSB")) ||
               port.name.contains(QLatin1String("ttyACM"));
    };
    const auto location = [](const SystemPort &port) {
        return port.stableLocation.isEmpty() ? port.location : port.stableLocation;
    };
    std::sort(ports.begin(), ports.end(), [&](const SystemPort &a, const SystemPort &b) {
        if (isUsb(a) != isUsb(b))
            return isUsb(a);
        return locationLess(location(a), location(b));
    });
    QStringList locations;
    for (const SystemPort &port : ports)
        locations.append(location(port));
    return locations;
}

QMap<QString, QString> PortNames::stableLinks(const QString &folder)
{
    QMap<QString, QString> links;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &entry : entries) {
        const QString device = entry.canonicalFilePath();
        if (entry.isSymLink() && !device.isEmpty() && !links.contains(device))
            links.insert(device, entry.absoluteFilePath());
    }
    return links;
}
