#pragma once

#include <QString>
#include <QtGlobal>

struct CommConditions;

// The controller's register addresses by parameter code, and the vendor-frame item codes.
namespace RegisterMap
{

enum class Form {
    Modbus,   // four upper-case hexadecimal digits, the holding-register address
    Ravtocol, // five decimal digits, the data-register number 100 + 2 x the Modbus address
};

// The form a protocol index needs: Modbus for 0 and 1, Ravtocol for every other index.
Form formFor(qint16 protocolIndex);

// The Modbus address of a parameter code; empty for the codes without a register (9, 58 to 64)
// and for codes outside 0 to 65.
QString modbusAddress(int code);
// A Modbus address text turned into its Ravtocol data-register number ("0001" -> "00102");
// empty stays empty.
QString toRavtocol(const QString &modbusAddress);
// The address of a code in the given form.
QString address(int code, Form form);

// Refills every registerTable entry in the given form, or in the form of conditions.protocolIndex.
// Entries without a register are left empty.
void fillRegisterTable(CommConditions &conditions, Form form);
void fillRegisterTable(CommConditions &conditions);

// Fills vendorItemTable 1 to 19 (index 0 stays empty).
void fillVendorItemTable(CommConditions &conditions);

} // namespace RegisterMap
