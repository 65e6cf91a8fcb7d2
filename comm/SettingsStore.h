#pragma once

#include <QMap>
#include <QSettings>
#include <QString>
#include <QtGlobal>

#include <functional>

struct ZN8P_INC;

// The communication conditions and tab positions that persist between runs, as text values under
// one of two keys (organisations "Dorvatech RQA Control" and "Dorvatech-QA Control", application
// "ZN Monitor"). inc.useSecondKey picks the key for every read and write. The only class that
// touches QSettings; tests give it IniFormat and point QSettings::setPath at a temporary folder.
class SettingsStore
{
public:
    static const QString FirstOrganization;
    static const QString SecondOrganization;
    static const QString Application;

    explicit SettingsStore(QSettings::Format format = QSettings::NativeFormat);

    // Start-up key choice: reads "Port" under the first key; when it is missing sets
    // inc.useSecondKey and loads from the second key with regRead_New, else regRead.
    void selectKeyAndLoad(ZN8P_INC &inc);
    // Load the nine values ("Port" ... "SSTab2") from the first / second key. A missing value
    // puts its default into inc and writes it under the same key, so that afterwards the key
    // holds all nine. "strAdr" comes as two digits ("7" as "07"); a text that is no instrument
    // number from 1 to 95 ("1x") comes as it is, and no request is sent under it: the link check
    // names it (never read as another number, such as 0, the Modbus broadcast).
    void regRead(ZN8P_INC &inc);
    void regRead_New(ZN8P_INC &inc);
    // Reloads the seven communication values (not the tabs) from the key in use, without repair:
    // a missing value leaves inc as it was.
    void loadCommValues(ZN8P_INC &inc);

    // Called after every write of one of the seven communication values, so that what shows them
    // follows the store whoever wrote it. One listener; an empty function removes it.
    void setCommChangeListener(std::function<void()> listener)
    {
        m_commChanged = std::move(listener);
    }

    // Writes one text value under the key in use. Failures are not reported.
    void writeValue(const ZN8P_INC &inc, const QString &name, const QString &value);
    // "Protocol"; a vendor-frame index (3) is stored as inc.savedProtocolIndex.
    void writeProtocol(const ZN8P_INC &inc);
    // "strAdr" from inc.stationAddress, as two digits; no instrument number is not stored.
    void writeStation(const ZN8P_INC &inc);
    // All seven communication values from inc (communication settings dialog).
    void storeCommConditions(const ZN8P_INC &inc);
    // After a connect: the line parameters as read back from the component, then strAdr and
    // Protocol from inc.
    void storeConnectedConditions(const ZN8P_INC &inc, const QString &port, const QString &speed,
                                  const QString &dataBits, const QString &stopBits,
                                  const QString &parity);
    // "SSTab1" and "SSTab2" from inc.sstab1Index and inc.sstab2Index.
    void storeTabs(const ZN8P_INC &inc);
    // Closing the main window: the tabs, strAdr only while inc.linkVerified, then Protocol.
    void storeOnClose(const ZN8P_INC &inc);

    // The stored text of a value, or a null QString when the value is missing.
    QString storedValue(bool secondKey, const QString &name) const;

    // Serial device per port name ("COM1" ... "COM8" -> "/dev/ttyUSB0"), group "PortMap". Each
    // entry comes from the key in use or, when missing there, from the other key; ports with no
    // entry in either, or an empty one, are absent from the map.
    QMap<QString, QString> portMap(const ZN8P_INC &inc) const;
    // Writes the device of every port name under the key in use; a name absent from map is
    // stored empty, which stands for the system's port order (also over the other key's entry).
    void storePortMap(const ZN8P_INC &inc, const QMap<QString, QString> &map);

    // Locale-independent decimal reading: optional sign and leading digits after blanks, the rest
    // ignored; no digits or a number beyond 16 bits give 0.
    static qint16 readNumber(const QString &text);

private:
    void load(ZN8P_INC &inc, bool secondKey);
    static const QString &organization(bool secondKey);

    QSettings::Format m_format;
    std::function<void()> m_commChanged;
};
