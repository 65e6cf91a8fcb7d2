#include "RegisterMap.h"

#include "base/CommConditions.h"

#include <array>

namespace RegisterMap
{

namespace
{

// Indexed by parameter code; nullptr where the code has no register.
constexpr std::array<const char *, CommConditions::RegisterCount> ModbusAddresses = {
    "0080",  "0081",  "0082",  "0083",  "0085",  "0086", "0087", "00A1", "00A2",  nullptr, // 0-9
    "0000",  "0001",  "0003",  "0004",  "0005",  "0006", "0007", "0008", "0009",  "000B",  // 10-19
    "000C",  "000F",  "0012",  "0015",  "0016",  "0018", "0019", "001A", "001B",  "001C",  // 20-29
    "001D",  "001E",  "001F",  "0020",  "0021",  "0022", "0023", "0024", "0025",  "0026",  // 30-39
    "0029",  "002A",  "0033",  "0034",  "0037",  "0038", "0039", "0040", "0041",  "0044",  // 40-49
    "0045",  "0047",  "0048",  "0049",  "0050",  "0051", "0052", "0053", nullptr, nullptr, // 50-59
    nullptr, nullptr, nullptr, nullptr, nullptr, "0070",                                   // 60-65
};

constexpr std::array<const char *, CommConditions::VendorItemCount> VendorItems = {
    nullptr, "001C", "001D", "001E", "001F", "004C", "004D", "004E", "004F", "FC30",
    "FC32",  "FC34", "FC36", "FC90", "FC92", "FC94", "FC96", "FF13", "FF1A", "FF1B",
};

} // namespace

Form formFor(qint16 protocolIndex)
{
    return protocolIndex == ModbusAscii || protocolIndex == ModbusRtu ? Form::Modbus
                                                                      : Form::Ravtocol;
}

QString modbusAddress(int code)
{
    if (code < 0 || code >= CommConditions::RegisterCount || !ModbusAddresses[code])
        return QString();
    return QLatin1String(ModbusAddresses[code]);
}

QString toRavtocol(const QString &modbusAddress)
{
    bool ok = false;
    const uint register16 = modbusAddress.toUInt(&ok, 16);
    if (!ok)
        return QString();
    return QStringLiteral("%1").arg(100 + 2 * register16, 5, 10, QLatin1Char('0'));
}

QString address(int code, Form form)
{
    const QString modbus = modbusAddress(code);
    return form == Form::Modbus ? modbus : toRavtocol(modbus);
}

void fillRegisterTable(CommConditions &conditions, Form form)
{
    for (int code = 0; code < CommConditions::RegisterCount; ++code)
        conditions.registerTable[code] = address(code, form);
}

void fillRegisterTable(CommConditions &conditions)
{
    fillRegisterTable(conditions, formFor(conditions.protocolIndex));
}

void fillVendorItemTable(CommConditions &conditions)
{
    for (int i = 0; i < CommConditions::VendorItemCount; ++i)
        conditions.vendorItemTable[i] = VendorItems[i] ? QLatin1String(VendorItems[i]) : QString();
}

} // namespace RegisterMap
