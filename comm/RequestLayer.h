#pragma once

#include "comm/Reply.h"

#include <QString>
#include <QtGlobal>

class ComLink;
struct CommConditions;

// Turns a request stated in Modbus terms (function code, register address, data word) into the
// fields of the protocol selected by the conditions' protocolIndex and hands them to the
// communication component. Every exchange with the controller goes through sendFields.
class RequestLayer
{
public:
    RequestLayer(CommConditions &conditions, ComLink &link);

    // station: instrument number as decimal digits ("01" to "95"); subAddress: empty; command:
    // "03" read or "06" write, or a vendor-frame command character; address: a registerTable
    // entry, or a vendorItemTable entry under the vendor frame; data: empty for reads, four hex
    // digits for writes. Returns the component's reply unchanged (PortLost when no component
    // instance exists; NoReply, without sending anything, when station is no instrument number
    // from 1 to 95). Ravtocol frames carry the number as two digits ("7" as "07").
    // Under Ravtocol command becomes "RD" ("03") or "WD" (anything else); under the vendor frame
    // subAddress becomes " " and command its vendor character, so callers set both before each
    // call.
    Reply sendFields(QString &station, QString &subAddress, QString &command, QString &address,
                     QString &data);

    // sendFields with the callers' usual fields: the conditions' stationAddress, empty subAddress.
    // read: command "03", empty data. write: command "06".
    Reply read(const QString &address);
    Reply write(const QString &address, const QString &data);
    // A request with any command (vendor-frame characters such as "a", "q", "`").
    Reply send(const QString &command, const QString &address, const QString &data);

private:
    CommConditions &m_conditions;
    ComLink &m_link;
};
