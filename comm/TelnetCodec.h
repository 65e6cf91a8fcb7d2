#pragma once

#include <QByteArray>
#include <QList>

// The telnet layer of a network line (RFC 854/855): separates the line's bytes from the commands
// in a byte stream that may be cut anywhere, and builds what goes out. The line's 0xFF travels
// doubled both ways. A subnegotiation longer than MaxPayload is cut there (its tail is dropped),
// so a hostile server costs no more memory than a normal one.
class TelnetCodec
{
public:
    enum Byte : quint8 {
        SE = 240,
        SB = 250,
        WILL = 251,
        WONT = 252,
        DO = 253,
        DONT = 254,
        IAC = 255,
    };
    static constexpr int MaxPayload = 64;

    // WILL / WONT / DO / DONT with its option, or SB with its option and payload (unescaped).
    struct Command {
        quint8 verb = 0;
        quint8 option = 0;
        QByteArray payload;
        bool operator==(const Command &other) const
        {
            return verb == other.verb && option == other.option && payload == other.payload;
        }
    };

    // The line's bytes among bytes, in order; commands complete so far are kept for
    // takeCommands(). A command cut at the end of bytes is completed by the next call.
    QByteArray decode(const QByteArray &bytes);
    QList<Command> takeCommands();

    // data with every 0xFF doubled.
    static QByteArray escape(const QByteArray &data);
    static QByteArray negotiation(quint8 verb, quint8 option);
    static QByteArray subnegotiation(quint8 option, const QByteArray &payload);

private:
    enum class State { Data, Iac, Option, Sub, SubIac };
    State m_state = State::Data;
    Command m_command;
    QList<Command> m_commands;
};
