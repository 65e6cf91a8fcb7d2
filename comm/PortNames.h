#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// The program names its ports "COM1" ... "COM8". A map (name -> device, e.g. "COM1" ->
// "/dev/serial/by-id/usb-FTDI_FT232R_A10K2XYZ-if00-port0", "/dev/ttyUSB0" or a pseudo-terminal)
// decides first. Without a map entry the name is the system port itself on Windows; elsewhere
// COM1 ... COM8 are the system serial ports in a stable order: USB adapters first, then the rest,
// each group sorted by device path. A USB adapter goes by its stable name under /dev/serial/by-id
// (made of maker, model and serial number), so it keeps its COM name when it is plugged into
// another socket, where its /dev/ttyUSBn name may change.
class PortNames
{
public:
    // One serial port as the system lists it.
    struct SystemPort {
        QString name;     // "ttyUSB0"
        QString location; // "/dev/ttyUSB0"
        bool hasVendorId = false;
        QString stableLocation; // "/dev/serial/by-id/usb-..."; empty when there is none
    };

    explicit PortNames(QMap<QString, QString> map = {});

    // The device to open for comName; empty when the name stands for no device.
    QString deviceFor(const QString &comName) const;

    // "COM1" ... "COM8".
    static QStringList comNames();
    // The serial ports present now, each by its stable location where it has one, in COM order.
    static QStringList systemLocations();
    // Locations of ports in COM order: USB adapters (name containing "ttyUSB" or "ttyACM", or a
    // vendor id) first, then the others, each group sorted by location; a port's stable location,
    // where it has one, stands for it in both.
    static QStringList orderedLocations(QList<SystemPort> ports);
    // The links in folder by the device they lead to: device path -> link path, the first link in
    // name order where several lead to one device.
    static QMap<QString, QString> stableLinks(const QString &folder);

private:
    QMap<QString, QString> m_map;
};
