#pragma once

#include "comm/PortNames.h"

#include <QMap>
#include <QString>

#include <optional>

// The port a run names with --port: "COM1" ... "COM8" (through the port map, as the window names
// its ports), a serial device's path ("/dev/ttyUSB0", a /dev/serial/by-id link, a
// pseudo-terminal) or a line behind an Ethernet serial server ("tcp://HOST:PORT",
// "rfc2217://HOST:PORT"); the last two need no port map. Every form the option takes is read
// here, so that another kind of port is added in this one place.
namespace PortOption
{

// The port name a --port text stands for, "COM3", the device path as given or the URL; nullopt
// with the reason when it is none of them.
std::optional<QString> parse(const QString &text, QString *error);
// Whether the port name is a device path or a serial server's URL rather than a COM name.
bool isDevicePath(const QString &portName);
// The port name as one level of an MQTT topic or part of a file name: a COM name as it is, a
// device path by its last part ("ttyUSB0"), a URL by its host and port ("gw_4001"), with any
// character that a topic level or a file name cannot hold replaced by '_'.
QString label(const QString &portName);
// The devices of the run's port names: the stored port map, plus the device path itself when the
// run's port is one.
PortNames portNames(QMap<QString, QString> storedMap, const QString &portName);

} // namespace PortOption
