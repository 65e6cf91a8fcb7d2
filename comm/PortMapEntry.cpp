#include "PortMapEntry.h"

#include "base/MessageTable.h"
#include "comm/NetworkAddress.h"
#include "comm/PortNames.h"

#include <QFileInfo>
#include <QSerialPortInfo>

PortMapEntry::PortMapEntry(QMap<QString, QString> map) : m_map(std::move(map)) {}

QString PortMapEntry::itemText(int index) const
{
    const QString name = PortNames::comNames().value(index);
    const QString path = device(index);
    if (path.isEmpty())
        return msg(1053).arg(name);
    // Whether a server is there shows only when the line is opened.
    if (NetworkAddress::looksLikeUrl(path))
        return msg(1179).arg(name, path);
    return msg(isPresent(path) ? 1051 : 1052).arg(name, path);
}

QString PortMapEntry::device(int index) const
{
    return PortNames(m_map).deviceFor(PortNames::comNames().value(index));
}

bool PortMapEntry::isMapped(int index) const
{
    return m_map.contains(PortNames::comNames().value(index));
}

void PortMapEntry::setDevice(int index, const QString &device)
{
    const QString name = PortNames::comNames().value(index);
    if (device.trimmed().isEmpty())
        m_map.remove(name);
    else
        m_map.insert(name, device.trimmed());
}

QStringList PortMapEntry::candidates()
{
    return PortNames::systemLocations();
}

bool PortMapEntry::isPresent(const QString &device)
{
    if (QFileInfo::exists(device))
        return true;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : ports) {
        if (port.portName() == device || port.systemLocation() == device)
            return true;
    }
    return false;
}
