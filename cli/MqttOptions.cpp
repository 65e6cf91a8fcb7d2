#include "MqttOptions.h"

#include <QFile>
#include <QUrl>

namespace
{
// An MQTT topic is at most 65535 bytes of UTF-8; the levels znctl adds after the prefix
// ("/COM1/95/status") take at most this many.
constexpr int LongestTopic = 65535;
constexpr int LongestLeaf = 16;

// Why no topic can begin with prefix, empty when one can.
QString prefixProblem(const QString &prefix)
{
    if (prefix.isEmpty())
        return QStringLiteral("no topic prefix after the host");
    if (prefix.contains(QLatin1Char('+')) || prefix.contains(QLatin1Char('#')))
        return QStringLiteral("a topic prefix holds no wildcard '+' or '#'");
    if (prefix.contains(QChar(0)))
        return QStringLiteral("a topic prefix holds no NUL");
    if (prefix.startsWith(QLatin1Char('$')))
        return QStringLiteral("a topic prefix does not begin with '$', kept for the broker's own "
                              "topics");
    if (prefix.split(QLatin1Char('/')).contains(QString()))
        return QStringLiteral("a topic prefix has no empty level ('//')");
    if (prefix.toUtf8().size() > LongestTopic - LongestLeaf)
        return QStringLiteral("the topic prefix is longer than %1 bytes")
            .arg(LongestTopic - LongestLeaf);
    return QString();
}
} // namespace

bool parseMqttUrl(const QString &url, MqttOptions &options, QString *error)
{
    const QUrl parsed(url, QUrl::StrictMode);
    // The prefix as the broker will see it: escapes such as "%2B" decoded.
    QString prefix = parsed.path(QUrl::FullyDecoded);
    if (prefix.startsWith(QLatin1Char('/')))
        prefix.remove(0, 1);
    while (prefix.endsWith(QLatin1Char('/')))
        prefix.chop(1);
    const auto fail = [&](const QString &reason) {
        *error = QStringLiteral("invalid value '%1' for --mqtt (%2)").arg(url, reason);
        return false;
    };
    const bool tls = parsed.scheme() == QLatin1String("mqtts");
    if (!parsed.isValid() || (parsed.scheme() != QLatin1String("mqtt") && !tls) ||
        parsed.host().isEmpty())
        return fail(QStringLiteral("expected mqtt://HOST[:PORT]/PREFIX or mqtts://..."));
    if (!parsed.userInfo().isEmpty())
        return fail(QStringLiteral("give the user with --mqtt-user and the password with "
                                   "--mqtt-password-file"));
    // An unescaped '#' or '?' ends the path: the rest would never reach the topic.
    if (parsed.hasQuery() || parsed.hasFragment())
        return fail(QStringLiteral("a topic prefix holds no wildcard '+' or '#', and no '?'"));
    if (const QString problem = prefixProblem(prefix); !problem.isEmpty())
        return fail(problem);
    options.host = parsed.host();
    options.tlsScheme = tls;
    options.port = parsed.port(options.tls() ? MqttOptions::TlsPort : MqttOptions::PlainPort);
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
