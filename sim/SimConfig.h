#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The user protocol the simulated controller answers in.
enum class WireProtocol {
    ModbusAscii,
    ModbusRtu,
    Ravtocol,
};

// "ascii", "rtu", "ravtocol"; nullopt for any other text.
std::optional<WireProtocol> wireProtocolFromName(const QString &name);
QString wireProtocolName(WireProtocol protocol);

// The line and instrument settings of the simulated controller.
struct LineConfig {
    int station = 1; // instrument number 1 to 99
    WireProtocol protocol = WireProtocol::ModbusAscii;
    int speed = 9600;        // bit/s
    int dataBits = 7;        // 7 or 8
    char parity = 'E';       // 'E', 'O' or 'N'
    int stopBits = 1;        // 1 or 2
    int responseDelayMs = 2; // from the request's last character to the reply's first

    // One character's time on the line in microseconds.
    qint64 characterMicros() const;
};

// Output type of the control output.
enum class OutputType {
    Relay = 0,
    Voltage = 1, // non-contact voltage (SSR drive)
    Current = 2, // DC current
};

// The installed hardware options, as the option words report them.
struct ModelOptions {
    bool alarm2 = true;
    bool heatCool = false;
    int heaterBreak = 1; // 0 none, 1 single phase 20 A, 2 single phase 50 A, 3 three-phase 20 A, 4
                         // three-phase 50 A
    bool contactInput = false;
    OutputType outputType = OutputType::Relay;
    bool serialComm = true;

    // Register 00A1: 0x01 contact input, 0x02 serial communication, 0x04 heater burnout alarm,
    // 0x08 its 50 A rating, 0x10 three-phase, 0x20 alarm 2, 0x40 heating/cooling.
    quint16 optionWord() const;
    // Register 00A2: 0x08 non-contact voltage output, 0x10 DC current output.
    quint16 optionWord2() const;
    // The options that cannot be built together, as an English sentence; empty when the set is
    // valid.
    QString conflict() const;

    bool heaterBreakThreePhase() const { return heaterBreak >= 3; }
    bool heaterBreak50A() const { return heaterBreak == 2 || heaterBreak == 4; }
    // Set values 2 to 4 selected by the contact input.
    bool hasSetValueMemories() const { return contactInput && !serialComm; }
};
