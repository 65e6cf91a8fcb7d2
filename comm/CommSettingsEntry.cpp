#include "CommSettingsEntry.h"

#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/InstrumentNumber.h"
#include "comm/PortNames.h"
#include "comm/SessionContext.h"
#include "comm/SettingsStore.h"

#include <QStringList>

namespace
{

constexpr int CheckInputMessage = 559;
constexpr int OutOfRangeMessage = 229;

const QStringList Speeds = {QStringLiteral("9600"), QStringLiteral("19200")};
const QStringList DataBits = {QStringLiteral("7"), QStringLiteral("8")};
const QStringList StopBits = {QStringLiteral("1"), QStringLiteral("2")};
const QStringList Parities = {QStringLiteral("EVEN"), QStringLiteral("ODD"),
                              QStringLiteral("NONE")};

// Position of text in options; 0 (the first button) when it is none of them.
int optionIndex(const QStringList &options, const QString &text)
{
    return qMax(0, int(options.indexOf(text)));
}

// The text of the chosen button; the first one when the index is out of range.
const QString &optionText(const QStringList &options, int index)
{
    return options.at(index >= 0 && index < options.size() ? index : 0);
}

// Instrument list entry of an instrument number text ("07" -> 6); -1 for no instrument number.
int stationIndex(const QString &text)
{
    return InstrumentNumber::parse(text).value_or(0) - 1;
}

} // namespace

CommSettingsEntry::CommSettingsEntry(const SessionContext &context, SettingsStore &store)
    : m_shared(context.shared), m_store(store), m_link(context.link), m_op(context.op)
{
}

CommSettingsChoice CommSettingsEntry::fromState(const SessionState &shared)
{
    CommSettingsChoice choice;
    choice.portIndex = optionIndex(PortNames::comNames(), shared.portName);
    choice.stationText = shared.stationAddress;
    choice.speedIndex = optionIndex(Speeds, shared.speedText);
    choice.dataBitsIndex = optionIndex(DataBits, shared.dataBitsText);
    choice.stopBitsIndex = optionIndex(StopBits, shared.stopBitsText);
    choice.parityIndex = optionIndex(Parities, shared.parityText);
    const qint16 protocol =
        shared.protocolIndex == VendorFrame ? shared.savedProtocolIndex : shared.protocolIndex;
    choice.protocolIndex = qBound<int>(ModbusAscii, protocol, Ravtocol);
    return choice;
}

CommSettingsEntry::Result CommSettingsEntry::confirm(const CommSettingsChoice &choice)
{
    m_op.beep();
    if (m_shared.commActive) {
        if (CommComponent *com = m_link.com())
            com->closePort();
    }

    m_shared.portName = optionText(PortNames::comNames(), choice.portIndex);
    m_store.writeValue(m_shared, QStringLiteral("Port"), m_shared.portName);
    if (choice.portMap)
        m_store.storePortMap(m_shared, *choice.portMap);

    // The text test comes first, as text: "100" sorts below "99" and only fails the range test.
    // Then the one reading of an instrument number: "1x" is no number at all, "7" is 7 and is kept
    // and sent as "07", which a Ravtocol frame needs.
    const QString &text = choice.stationText;
    if (text.compare(QLatin1String("01")) < 0 || text.compare(QLatin1String("99")) > 0)
        return entryError(CheckInputMessage);
    switch (InstrumentNumber::check(text)) {
    case InstrumentNumber::Fault::NotANumber:
        return entryError(CheckInputMessage);
    case InstrumentNumber::Fault::OutOfRange:
        return entryError(OutOfRangeMessage);
    case InstrumentNumber::Fault::None:
        break;
    }
    const int index = stationIndex(text);
    m_shared.stationAddress = InstrumentNumber::normalized(text);
    m_store.writeStation(m_shared);

    m_shared.speedText = optionText(Speeds, choice.speedIndex);
    m_store.writeValue(m_shared, QStringLiteral("Speed"), m_shared.speedText);
    m_shared.parityText = optionText(Parities, choice.parityIndex);
    m_store.writeValue(m_shared, QStringLiteral("Parity"), m_shared.parityText);
    m_shared.dataBitsText = optionText(DataBits, choice.dataBitsIndex);
    m_store.writeValue(m_shared, QStringLiteral("Databit"), m_shared.dataBitsText);
    m_shared.stopBitsText = optionText(StopBits, choice.stopBitsIndex);
    m_store.writeValue(m_shared, QStringLiteral("Stopbit"), m_shared.stopBitsText);
    m_shared.protocolIndex = choice.protocolIndex == 0   ? ModbusAscii
                             : choice.protocolIndex == 1 ? ModbusRtu
                                                         : Ravtocol;
    m_store.writeProtocol(m_shared);

    return {true, index};
}

CommSettingsEntry::Result CommSettingsEntry::entryError(int messageId)
{
    m_op.showMessage({messageId});
    return {false,
            stationIndex(m_store.storedValue(m_shared.useSecondKey, QStringLiteral("strAdr")))};
}
