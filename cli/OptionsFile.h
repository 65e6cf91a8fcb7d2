#pragma once

#include <QList>
#include <QPair>
#include <QString>

// A file of options for a run (--config), as a service keeps them in /etc/zn-monitor/NAME.conf:
// one option a line, "name = value" or "name" alone for a switch, the name with or without its
// leading "--"; empty lines and lines beginning with '#' are left out, and a value in double
// quotes is taken without them (so that it may begin or end with a blank).
//
//   # the oven line
//   port = /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K2XYZ-if00-port0
//   station = 1-3
//   interval = 1
//   quiet
namespace OptionsFile
{

struct Option {
    QString name; // without "--"
    QString value;
    bool hasValue = false; // "name = value" rather than "name"
    int line = 0;          // from 1
};

// The options of the file at path; false with the reason (the file and its line) when it cannot
// be read or a line is none of the forms above.
bool read(const QString &path, QList<Option> &options, QString *error);

} // namespace OptionsFile
