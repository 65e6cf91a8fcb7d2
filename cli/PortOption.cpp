#include "PortOption.h"

#include "comm/NetworkAddress.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace PortOption
{

std::optional<QString> parse(const QString &text, QString *error)
{
    static const QRegularExpression comName(QStringLiteral("^COM([1-8])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch match = comName.match(text); match.hasMatch())
        return QStringLiteral("COM") + match.captured(1);
    if (const std::optional<NetworkAddress> address = NetworkAddress::parse(text))
        return address->url();
    if (text.startsWith(QLatin1Char('/')) && text.size() > 1)
        return text;
    *error = QStringLiteral("invalid value '%1' for --port (expected COM1 to COM8, a device "
                            "path such as /dev/ttyUSB0, or tcp://HOST:PORT or "
                            "rfc2217://HOST:PORT for a serial server)")
                 .arg(text);
    return std::nullopt;
}

bool isDevicePath(const QString &portName)
{
    return (portName.startsWith(QLatin1Char('/')) && portName.size() > 1) ||
           NetworkAddress::parse(portName).has_value();
}

QString label(const QString &portName)
{
    const std::optional<NetworkAddress> address = NetworkAddress::parse(portName);
    QString text = address ? address->host + QLatin1Char('_') + QString::number(address->port)
                   : isDevicePath(portName) ? QFileInfo(portName).fileName()
                                            : portName;
    static const QRegularExpression unfit(QStringLiteral("[/+#\\s\\x00]"));
    text.replace(unfit, QStringLiteral("_"));
    return text.isEmpty() ? QStringLiteral("port") : text;
}

PortNames portNames(QMap<QString, QString> storedMap, const QString &portName)
{
    if (isDevicePath(portName))
        storedMap.insert(portName, portName);
    return PortNames(std::move(storedMap));
}

} // namespace PortOption
