#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The program names its ports "COM1" ... "COM8". A map (name -> device, e.g. "COM1" ->
// "/dev/ttyUSB0" or a pseudo-terminal) decides first. Without a map entry the name is the system
// port itself on Windows; elsewhere COM1 ... COM8 are the system serial ports in a stable order:
// USB adapters first, then the rest, each group sorted by device path.
class PortNames
{
public:
    // One serial port as the system lists it.
    struct SystemPort {
        QString name;     // "ttyUSB0"
        QString location; // "/dev/ttyUSB0"
        bool hasVendorId = false;
    };

    explicit PortNames(QMap<QString, QString> map = {});

    // The device to open for comName; empty when the name stands for no device.
    QString deviceFor(const QString &comName) const;

    // "COM1" ... "COM8".
    static QStringList comNames();
    // Locations of ports in COM order: USB adapters (name containing "ttyUSB" or "ttyACM", or a
    // vendor id) first, then the others, each group sorted by location.
    static QStringList orderedLocations(QList<SystemPort> ports);

private:
    QMap<QString, QString> m_map;
};
