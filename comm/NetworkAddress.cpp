#include "NetworkAddress.h"

#include <QRegularExpression>

namespace
{
const QString RawScheme = QStringLiteral("tcp://");
const QString Rfc2217Scheme = QStringLiteral("rfc2217://");
} // namespace

std::optional<NetworkAddress> NetworkAddress::parse(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^(tcp|rfc2217)://(\\[[0-9A-Fa-f:.]+\\]|[A-Za-z0-9._-]+):([0-9]{1,5})$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const int port = match.captured(3).toInt();
    if (port < 1 || port > 65535)
        return std::nullopt;
    NetworkAddress address;
    address.mode = match.captured(1).compare(QLatin1String("tcp"), Qt::CaseInsensitive) == 0
                       ? Mode::Raw
                       : Mode::Rfc2217;
    address.host = match.captured(2);
    if (address.host.startsWith(QLatin1Char('[')))
        address.host = address.host.mid(1, address.host.size() - 2);
    address.port = quint16(port);
    return address;
}

bool NetworkAddress::looksLikeUrl(const QString &text)
{
    return text.startsWith(RawScheme, Qt::CaseInsensitive) ||
           text.startsWith(Rfc2217Scheme, Qt::CaseInsensitive);
}

QString NetworkAddress::url() const
{
    return (mode == Mode::Raw ? RawScheme : Rfc2217Scheme) + hostAndPort();
}

QString NetworkAddress::hostAndPort() const
{
    const QString shownHost =
        host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host;
    return shownHost + QLatin1Char(':') + QString::number(port);
}
