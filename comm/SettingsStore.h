#pragma once

#include <QMap>
#include <QSettings>
#include <QString>
#include <QtGlobal>

#include <functional>

struct CommConditions;
struct SessionState;

// The communication conditions and tab positions that persist between runs, as text values under
// one of two keys (organisations "Dorvatech RQA Control" and "Dorvatech-QA Control", application
// "ZN Monitor"). shared.useSecondKey picks the key for every read and write. The only class that
// touches QSettings; tests give it IniFormat and point QSettings::setPath at a temporary folder.
class SettingsStore
{
public:
    static const QString FirstOrganization;
    static const QString SecondOrganization;
    static const QString Application;

    explicit SettingsStore(QSettings::Format format = QSettings::NativeFormat);

    // Start-up key choice: reads "Port" under the first key; when it is missing sets
    // shared.useSecondKey and loads from the second key with loadFromSecondKey, else
    // loadFromFirstKey.
    void selectKeyAndLoad(SessionState &shared);
    // Load the nine values ("Port" ... "SSTab2") from the first / second key. A missing value
    // puts its default into shared and writes it under the same key, so that afterwards the key
    // holds all nine. "strAdr" comes as two digits ("7" as "07"); a text that is no instrument
    // number from 1 to 95 ("1x") comes as it is, and no request is sent under it: the link check
    // names it (never read as another number, such as 0, the Modbus broadcast).
    void loadFromFirstKey(SessionState &shared);
    void loadFromSecondKey(SessionState &shared);
    // Reloads the seven communication values (not the tabs) from the key in use, without repair:
    // a missing value leaves shared as it was.
    void loadCommValues(SessionState &shared);

    // Called after every write of one of the seven communication values, so that what shows them
    // follows the store whoever wrote it. One listener; an empty function removes it.
    void setCommChangeListener(std::function<void()> listener)
    {
        m_commChanged = std::move(listener);
    }

    // Writes one text value under the key in use. Failures are not reported.
    void writeValue(const CommConditions &conditions, const QString &name, const QString &value);
    // "Protocol"; a vendor-frame index (3) is stored as conditions.savedProtocolIndex.
    void writeProtocol(const CommConditions &conditions);
    // "strAdr" from conditions.stationAddress, as two digits; no instrument number is not stored.
    void writeStation(const CommConditions &conditions);
    // All seven communication values from conditions (communication settings dialog).
    void storeCommConditions(const CommConditions &conditions);
    // After a connect: the line parameters as read back from the component, then strAdr and
    // Protocol from conditions.
    void storeConnectedConditions(const CommConditions &conditions, const QString &port,
                                  const QString &speed, const QString &dataBits,
                                  const QString &stopBits, const QString &parity);
    // "SSTab1" and "SSTab2" from shared.mainTabIndex and shared.settingTabIndex.
    void storeTabs(const SessionState &shared);
    // Closing the main window: the tabs, strAdr only while shared.linkVerified, then Protocol.
    void storeOnClose(const SessionState &shared);

    // The stored text of a value, or a null QString when the value is missing.
    QString storedValue(bool secondKey, const QString &name) const;

    // Serial device per port name ("COM1" ... "COM8" -> "/dev/ttyUSB0"), group "PortMap". Each
    // entry comes from the key in use or, when missing there, from the other key; ports with no
    // entry in either, or an empty one, are absent from the map.
    QMap<QString, QString> portMap(const CommConditions &conditions) const;
    // Writes the device of every port name under the key in use; a name absent from map is
    // stored empty, which stands for the system's port order (also over the other key's entry).
    void storePortMap(const CommConditions &conditions, const QMap<QString, QString> &map);

    // The wait every reply of a line behind a serial server gets on top of the line's own, in
    // milliseconds ("NetworkAllowance", key in use then the other key; 0 to 10000, else the
    // default 100).
    int networkAllowanceMs(const CommConditions &conditions) const;
    void storeNetworkAllowance(const CommConditions &conditions, int milliseconds);

    // Locale-independent decimal reading: optional sign and leading digits after blanks, the rest
    // ignored; no digits or a number beyond 16 bits give 0.
    static qint16 readNumber(const QString &text);

private:
    void load(SessionState &shared, bool secondKey);
    static const QString &organization(bool secondKey);

    QSettings::Format m_format;
    std::function<void()> m_commChanged;
};
