#include "MqttOptions.h"

#include <QFile>
#include <QUrl>

bool parseMqttUrl(const QString &url, MqttOptions &options, QString *error)
{
    const QUrl parsed(url, QUrl::StrictMode);
    QString prefix = parsed.path();
    while (prefix.startsWith(QLatin1Char('/')))
        prefix.remove(0, 1);
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    const auto fail = [&](const QString &reason) {
        *error = QStringLiteral("invalid value '%1' for --mqtt (%2)").arg(url, reason);
        return false;
    };
    if (!parsed.isValid() || parsed.scheme() != QLatin1String("mqtt") || parsed.host().isEmpty())
        return fail(QStringLiteral("expected mqtt://HOST[:PORT]/PREFIX"));
    if (!parsed.userInfo().isEmpty())
        return fail(QStringLiteral("give the user with --mqtt-user and the password with "
                                   "--mqtt-password-file"));
    if (parsed.hasQuery() || parsed.hasFragment() || prefix.contains(QLatin1Char('+')))
        return fail(QStringLiteral("a topic prefix holds no '+', '#' or '?'"));
    if (prefix.isEmpty())
        return fail(QStringLiteral("no topic prefix after the host"));
    options.host = parsed.host();
    options.port =
        parsed.port(options.caFile.isEmpty() ? MqttOptions::PlainPort : MqttOptions::TlsPort);
    options.prefix = prefix;
    return true;
}

bool readMqttPassword(const QString &path, QString *password, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the MQTT password file %1 (%2)")
                     .arg(path, file.errorString());
        return false;
    }
    // A password is short; a stray huge file costs no more than a line.
    *password = QString::fromUtf8(file.readLine(4096));
    while (password->endsWith(QLatin1Char('\n')) || password->endsWith(QLatin1Char('\r')))
        password->chop(1);
    return true;
}
