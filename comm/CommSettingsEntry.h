#pragma once

#include <QMap>
#include <QString>

#include <optional>

class ComLink;
class OperatorInterface;
class SettingsStore;
struct SessionContext;
struct SessionState;

// The choices of the communication settings dialog, one per control.
struct CommSettingsChoice {
    int portIndex = 0;     // the port list: 0 "COM1" ... 7 "COM8"
    QString stationText;   // the instrument number as typed or picked
    int speedIndex = 0;    // Option1: 0 9600, 1 19200
    int dataBitsIndex = 0; // Option3: 0 7 bits, 1 8 bits
    int stopBitsIndex = 0; // Option4: 0 1 bit, 1 2 bits
    int parityIndex = 0;   // Option2: 0 even, 1 odd, 2 none
    int protocolIndex = 0; // the protocol list: 0 Modbus ASCII, 1 Modbus RTU, 2 Ravtocol
    // The device of each COM name as the dialog shows it (see PortMapEntry); nullopt leaves the
    // stored map alone.
    std::optional<QMap<QString, QString>> portMap;
};

// What the dialog's OK and Cancel buttons do to the shared state and the settings store, apart
// from the widgets.
class CommSettingsEntry
{
public:
    // After OK: accepted closes the dialog; otherwise the dialog stays open with the focus on the
    // instrument number. stationIndex is the instrument list entry to select (-1: none).
    struct Result {
        bool accepted = false;
        int stationIndex = -1;
    };

    CommSettingsEntry(const SessionContext &context, SettingsStore &store);

    // The controls' values for the conditions held in shared.
    static CommSettingsChoice fromState(const SessionState &shared);

    // OK: closes the port while it is in use and stores the port (and the port map) at once. The
    // instrument number text must lie from "01" to "99" as text and hold decimal digits only (else
    // message 559), its value from 1 to 95 (else message 229); after an entry error the list goes
    // back to the stored number and nothing more is stored. Accepted: the number as two digits
    // ("7" as "07") becomes stationAddress, then speed,
    // parity, data bits, stop bits and protocol are stored.
    Result confirm(const CommSettingsChoice &choice);

private:
    Result entryError(int messageId);

    SessionState &m_shared;
    SettingsStore &m_store;
    ComLink &m_link;
    OperatorInterface &m_op;
};
