#pragma once

#include "tests/support/FakeCom.h"

#include <QMap>
#include <QString>

#include <functional>
#include <memory>

// A controller behind FakeCom for tests of the monitoring and transfer code: it answers reads
// from its registers and vendor items in whichever protocol a request comes, enters the vendor
// frame on the key write (4C1A to the mode register) and leaves it on the return command. While in
// the vendor frame it ignores user-protocol requests, as the real one does.
//
//   auto script = std::make_shared<FakeCom::Script>();
//   ScriptedController controller;
//   controller.registers["0080"] = 250;   // PV
//   controller.install(*script);
class ScriptedController
{
public:
    explicit ScriptedController(int station = 1) : m_station(station) {}

    // Register values by Modbus address ("0080"); writes update them. Missing ones read 0.
    QMap<QString, qint16> registers;
    // Vendor items by item number ("FC32"); a missing item is refused with '!'.
    QMap<QString, qint16> vendorItems;
    // Asked first: a non-null text answers the request in the controller's place (a refusal,
    // silence, a garbled frame); a null QString lets the controller answer.
    std::function<QString(const FakeCom::Request &)> intercept;
    // The line is cut: nothing is answered.
    bool silent = false;
    bool inVendorFrame = false;

    // Makes this controller the script's responder. The controller must outlive the script's use.
    void install(FakeCom::Script &script);
    QString answer(const FakeCom::Request &request);
    // The controller's own answer, without the intercept: an intercept that lets a request take
    // effect but loses its reply calls this.
    QString respond(const FakeCom::Request &request);

    // The Modbus address a request concerns, in any user protocol (Ravtocol data registers
    // converted back); the vendor item under the vendor frame.
    static QString modbusAddress(const FakeCom::Request &request);

private:
    QString answerModbus(const FakeCom::Request &request);
    QString answerRavtocol(const FakeCom::Request &request);
    QString answerVendor(const FakeCom::Request &request);

    int m_station;
};
