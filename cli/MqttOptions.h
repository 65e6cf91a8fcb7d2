#pragma once

#include <QString>

// Where monitor feeds a plant system: the broker, the topic prefix and how to log in.
struct MqttOptions {
    static constexpr int PlainPort = 1883;
    static constexpr int TlsPort = 8883;

    QString host; // empty: no plant link
    int port = PlainPort;
    QString prefix; // the topic levels before <port>/<instrument>/..., no '/' at either end
    QString user;   // empty: anonymous
    QString passwordFile;
    // TLS: an mqtts:// address, or --mqtt-cafile with mqtt://. The broker's certificate is checked
    // against the CA certificate in caFile, or, without one, against the system's CA store.
    bool tlsScheme = false;
    QString caFile;
    QString certFile; // with keyFile: the client certificate the broker may ask for
    QString keyFile;
    bool discovery = false; // --mqtt-discovery: announce the instruments' sensors (retained)
    // The state messages' quality of service: 0 counts a message delivered once it is written to
    // the broker's connection, 1 only when the broker acknowledges it (PUBACK).
    int qos = 0;

    bool enabled() const { return !host.isEmpty(); }
    bool tls() const { return tlsScheme || !caFile.isEmpty(); }
};

// Takes "mqtt://HOST[:PORT]/PREFIX" or "mqtts://HOST[:PORT]/PREFIX" into options (host, port,
// prefix, TLS; the port defaults to 1883, or 8883 for mqtts:// or when caFile is already set).
// False with a one-line reason for any other form: another scheme, a user or password in the
// address (they belong in their options, out of the process list), or a prefix that no topic can
// carry: none, with the wildcards '+' or '#', an empty level
// ("a//b"), a leading '$' (the broker's own topics), a NUL, or too long for a topic.
bool parseMqttUrl(const QString &url, MqttOptions &options, QString *error);

// The first line of the password file, without its line end. False with the reason when the file
// cannot be read.
bool readMqttPassword(const QString &path, QString *password, QString *error);
