#include "CommSettingsEntry.h"

#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "comm/ComLink.h"
#include "comm/InstrumentNumber.h"
#include "comm/PortNames.h"
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

CommSettingsEntry::CommSettingsEntry(ZN8P_INC &inc, SettingsStore &store, ComLink &link,
                                     OperatorInterface &op)
    : m_inc(inc), m_store(store), m_link(link), m_op(op)
{
}

CommSettingsChoice CommSettingsEntry::fromState(const ZN8P_INC &inc)
{
    CommSettingsChoice choice;
    choice.portIndex = optionIndex(PortNames::comNames(), inc.portName);
    choice.stationText = inc.stationAddress;
    choice.speedIndex = optionIndex(Speeds, inc.speedText);
    choice.dataBitsIndex = optionIndex(DataBits, inc.dataBitsText);
    choice.stopBitsIndex = optionIndex(StopBits, inc.stopBitsText);
    choice.parityIndex = optionIndex(Parities, inc.parityText);
    const qint16 protocol =
        inc.protocolIndex == VendorFrame ? inc.savedProtocolIndex : inc.protocolIndex;
    choice.protocolIndex = qBound<int>(ModbusAscii, protocol, Ravtocol);
    return choice;
}

CommSettingsEntry::Result CommSettingsEntry::confirm(const CommSettingsChoice &choice)
{
    m_op.beep();
    if (m_inc.commActive) {
        if (ZN8PCom *com = m_link.com())
            com->ClosePort();
    }

    m_inc.portName = optionText(PortNames::comNames(), choice.portIndex);
    m_store.writeValue(m_inc, QStringLiteral("Port"), m_inc.portName);
    if (choice.portMap)
        m_store.storePortMap(m_inc, *choice.portMap);

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
    m_inc.stationAddress = InstrumentNumber::normalized(text);
    m_store.writeStation(m_inc);

    m_inc.speedText = optionText(Speeds, choice.speedIndex);
    m_store.writeValue(m_inc, QStringLiteral("Speed"), m_inc.speedText);
    m_inc.parityText = optionText(Parities, choice.parityIndex);
    m_store.writeValue(m_inc, QStringLiteral("Parity"), m_inc.parityText);
    m_inc.dataBitsText = optionText(DataBits, choice.dataBitsIndex);
    m_store.writeValue(m_inc, QStringLiteral("Databit"), m_inc.dataBitsText);
    m_inc.stopBitsText = optionText(StopBits, choice.stopBitsIndex);
    m_store.writeValue(m_inc, QStringLiteral("Stopbit"), m_inc.stopBitsText);
    m_inc.protocolIndex = choice.protocolIndex == 0   ? ModbusAscii
                          : choice.protocolIndex == 1 ? ModbusRtu
                                                      : Ravtocol;
    m_store.writeProtocol(m_inc);

    m_inc.commSettingsConfirmed = true;
    m_inc.commDialogCancelled = false;
    return {true, index};
}

void CommSettingsEntry::cancel()
{
    m_inc.commDialogCancelled = true;
}

CommSettingsEntry::Result CommSettingsEntry::entryError(int messageId)
{
    m_op.showMessage({messageId});
    return {false, stationIndex(m_store.storedValue(m_inc.useSecondKey, QStringLiteral("strAdr")))};
}
