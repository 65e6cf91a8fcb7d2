#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The port list of the communication settings dialog without its widgets: every COM name with
// the device it opens under the map being edited and whether that device is there now, and the
// operator's changes to the map (name -> device; a name without an entry takes its place in the
// system's port order, see PortNames).
class PortMapEntry
{
public:
    explicit PortMapEntry(QMap<QString, QString> map);

    // The list entry of COM name index 0 to 7: "COM1: /dev/ttyUSB0 (present)", "... (not
    // present)", "COM5: rfc2217://gw:4001 (network serial server)" or "COM3: no device"
    // (messages 1051 to 1053, 1179).
    QString itemText(int index) const;
    // The device that COM name index opens; empty when it stands for none.
    QString device(int index) const;
    // True when the map names the device (false: the system's port order decides).
    bool isMapped(int index) const;
    // Maps COM name index to device; an empty device gives the name back to the port order.
    void setDevice(int index, const QString &device);
    const QMap<QString, QString> &map() const { return m_map; }

    // The devices offered for a name: the serial ports present now, by their stable names where
    // they have one.
    static QStringList candidates();
    // Whether device can be found now (a path that exists, or a port the system lists).
    static bool isPresent(const QString &device);

private:
    QMap<QString, QString> m_map;
};
