#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// Protocol indexes as stored under "Protocol" and used by the request layer. VendorFrame is only
// in force during one vendor-frame exchange; the user's choice is then kept in savedProtocolIndex.
enum ProtocolIndex : qint16 {
    ModbusAscii = 0,
    ModbusRtu = 1,
    Ravtocol = 2,
    VendorFrame = 3,
};

// The conditions the line is used with: as stored (registry values), as the search or a check
// found them, and the register addresses of the protocol in force.
struct CommConditions {
    static constexpr int RegisterCount = 66;
    static constexpr int VendorItemCount = 20; // indexes 1 to 19 used

    QString portName = QStringLiteral("COM1");
    QString speedText = QStringLiteral("9600");
    QString dataBitsText = QStringLiteral("7");
    QString stopBitsText = QStringLiteral("1");
    QString parityText = QStringLiteral("EVEN");
    QString stationAddress = QStringLiteral("01");
    qint16 protocolIndex = ModbusAscii;
    qint16 savedProtocolIndex = ModbusAscii;
    bool useSecondKey = false;

    std::array<QString, RegisterCount> registerTable;
    std::array<QString, VendorItemCount> vendorItemTable;
};
