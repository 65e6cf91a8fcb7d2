#include "TelnetCodec.h"

QByteArray TelnetCodec::decode(const QByteArray &bytes)
{
    QByteArray data;
    data.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = quint8(c);
        switch (m_state) {
        case State::Data:
            if (byte == IAC)
                m_state = State::Iac;
            else
                data.append(c);
            break;
        case State::Iac:
            if (byte == IAC) {
                data.append(c);
                m_state = State::Data;
            } else if (byte >= WILL || byte == SB) {
                m_command = Command{byte, 0, {}};
                m_state = State::Option;
            } else {
                // NOP, GA, BREAK and the like carry nothing for a data line.
                m_state = State::Data;
            }
            break;
        case State::Option:
            m_command.option = byte;
            if (m_command.verb == SB) {
                m_state = State::Sub;
            } else {
                m_commands.append(m_command);
                m_state = State::Data;
            }
            break;
        case State::Sub:
            if (byte == IAC)
                m_state = State::SubIac;
            else if (m_command.payload.size() < MaxPayload)
                m_command.payload.append(c);
            break;
        case State::SubIac:
            if (byte == SE) {
                m_commands.append(m_command);
                m_state = State::Data;
            } else {
                // IAC IAC is a 0xFF of the payload; anything else is taken the same way rather
                // than losing the stream.
                if (m_command.payload.size() < MaxPayload)
                    m_command.payload.append(c);
                m_state = State::Sub;
            }
            break;
        }
    }
    return data;
}

QList<TelnetCodec::Command> TelnetCodec::takeCommands()
{
    QList<Command> commands;
    commands.swap(m_commands);
    return commands;
}

QByteArray TelnetCodec::escape(const QByteArray &data)
{
    QByteArray out;
    out.reserve(data.size() + data.count(char(IAC)));
    for (const char c : data) {
        out.append(c);
        if (quint8(c) == IAC)
            out.append(c);
    }
    return out;
}

QByteArray TelnetCodec::negotiation(quint8 verb, quint8 option)
{
    QByteArray out;
    out.append(char(IAC)).append(char(verb)).append(char(option));
    return out;
}

QByteArray TelnetCodec::subnegotiation(quint8 option, const QByteArray &payload)
{
    QByteArray out;
    out.append(char(IAC)).append(char(SB)).append(char(option));
    out.append(escape(payload));
    out.append(char(IAC)).append(char(SE));
    return out;
}
