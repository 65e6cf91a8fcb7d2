#pragma once

#include <QString>

// The serial line a communication component opens its port with, in the texts the settings store
// and the link check use.
struct LineConditions {
    QString portName = QStringLiteral("COM1"); // "COM1" ... "COM8"
    QString speed = QStringLiteral("9600");    // "1200" ... "115200"
    QString dataBits = QStringLiteral("7");    // "5" ... "8"
    QString stopBits = QStringLiteral("1");    // "1", "2"
    QString parity = QStringLiteral("EVEN");   // "EVEN", "ODD", "NONE"
};
