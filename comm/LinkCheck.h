#pragma once

#include "comm/SessionContext.h"

#include "comm/InstrumentNumber.h"
#include "comm/NetworkAddress.h"
#include "comm/PortFault.h"
#include "comm/Reply.h"

#include <QList>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
class SettingsStore;
class VendorFrameSession;
struct SessionState;

// Proves that a controller answers before anything is read from it, or finds the conditions under
// which one does. Every check renews the component instance and sends one test request (a read of
// registerTable entry 11 at stationAddress) per probe; a probe that is not answered costs the reply
// timeout. Checks block the calling thread; the automatic search lets the user interface process
// its events between probes, so that a cancel button works within one probe.
//
// Flags, menus and labels follow the link states: no link (linkVerified clear), link in standby,
// online. Nothing here throws; failures reach the operator as messages only.
class LinkCheck
{
public:
    // One probe about to be sent: port name ("COM3"), speed ("19200"), protocol index, and the
    // instrument number as sent ("37").
    struct Probe {
        QString port;
        QString speed;
        qint16 protocol = 0;
        QString station;
    };
    using ProgressCallback = std::function<void(const Probe &)>;
    // The online start read (reads the controller's setting data when monitoring starts).
    using SettingsRead = std::function<void()>;

    // The reply wait of every probe, in milliseconds.
    // The search covers "COM1" to "COM8" and instrument numbers 1 to 95.
    static constexpr int PortCount = 8;
    static constexpr int MaxInstrument = InstrumentNumber::Last;

    LinkCheck(const SessionContext &context, SettingsStore &store, VendorFrameSession &vendorFrame);
    LinkCheck(const LinkCheck &) = delete;
    LinkCheck &operator=(const LinkCheck &) = delete;

    // Called before every probe of every check (the headless tool prints a progress line).
    void setProgressCallback(ProgressCallback callback) { m_progress = std::move(callback); }
    // Runs where a successful check reads the controller's setting data. Without it nothing is
    // read.
    void setSettingsRead(SettingsRead read) { m_settingsRead = std::move(read); }

    // The start-up sequence: checkStoredConditions; when it found no controller, message 85 asks
    // whether the serial option is fitted (Yes: searchForController, No: scanFixedConditions); then
    // linkEstablished when a controller answered. When the stored port opened and nothing answered,
    // the question first says so (message 1205 with the port and speed) and what else to check
    // (1206).
    void startup();

    // Check with the stored conditions, reloaded from the settings store. Good reply: commActive,
    // TimerJob::Monitor, linkVerified. Bad reply: the port closed, linkVerified and online
    // cleared, the File, Online and Setting menus enabled. Shows nothing.
    // Returns linkVerified.
    bool checkStoredConditions();

    // The fixed-condition scan of COM1 to COM8 at 9600 bit/s, 7 data bits, 1 stop bit, even
    // parity, Modbus ASCII, instrument 01; the port found is closed again. No port answered:
    // message 260, the component released and the main window asked to close.
    void scanFixedConditions();
    // After the operator confirmed conditions in the communication settings: one probe with
    // them; success runs linkEstablished, failure shows messages 451 and 270 (1177 for a serial
    // server that connected).
    void checkChosenConditions();

    // The automatic search, port (COM1 to COM8), then speed (9600, 19200), then protocol (Modbus
    // ASCII, Modbus RTU, Ravtocol), then instrument number (1 to 95) changing fastest; data bits,
    // stop bits and parity stay as stored. A port behind a serial server in raw mode has the
    // server's speed: it is searched once, with status panel 4 saying so (message 1178). Found:
    // commActive and linkVerified set, the found conditions left in the component and in
    // stationAddress / protocolIndex. Not found: messages 451 and 270; cancelled (cancelSearch
    // seen before an instrument number): message 83.
    void searchForController();

    // The probes of the automatic search still to come when it is about to probe instrument number
    // `number` under the given port (1 to 8), speed step (0: 9600, 1: 19200) and protocol, this
    // one included, if every port still to come opens.
    static int searchProbesLeft(int port, int speedStep, qint16 protocol, int number);

    // What the search panel's Cancel does: the search stops before its next instrument number.
    void cancelSearch();
    // The reply to the last probe, and the stored-conditions check's failure told with it:
    // messages 451 and 270, with the reply's verdict between them when it says more than that
    // nothing came back.
    const Reply &lastProbe() const { return m_lastProbe; }
    void showCheckFailed();

    // True while searchForController runs (it lets the window process its events meanwhile).
    bool searching() const { return m_searching; }

    // After a successful check: the menus and labels for a verified link and the conditions stored
    // as read back from the component; then, while online, the start of monitoring
    // (TimerJob::Monitor, monitoring state, timers), else standby (TimerJob::Idle).
    void linkEstablished();

    // The stored conditions from the values the component reports, which the communication
    // information labels then show (linkEstablished's first step, also used by the online button).
    void showAndStoreConditions();
    // The communication information labels show the stored conditions, the ones the next check
    // uses. Runs whenever the store's communication values change, and at every stored-conditions
    // check.
    void showStoredConditions();

private:
    // A port the operator chose (stored or confirmed conditions) or one tried by a scan.
    enum class PortUse { Chosen, Scan };
    // New component instance with the given line conditions; true when the port opened (the
    // second of two openPort calls decides).
    bool preparePort(const QString &port, const QString &speed, PortUse use);
    // The search proper; searchForController marks it as running.
    void search();
    // The line parameters of the component, then openPort twice; false without an instance. Why
    // the port did not open is said by reportOpenFault().
    bool openWith(const QString &port, const QString &speed, PortUse use);
    // A port this user may not use is explained (messages 871, 872) once per check, a busy one
    // (1044) once per check as well, and so is a serial server's fault (1170 to 1176: a network
    // line is mapped on purpose, so a scan names it too); a chosen port that is missing, unmapped
    // or not a serial device is named (1042, 1043, 1045). A scan meets absent ports as a matter of
    // course and names none of them.
    void reportOpenFault(const QString &port, const PortOpenFault &fault, PortUse use);
    // One test request under the current protocolIndex and stationAddress.
    bool probe();
    // Question 85, after what the stored-conditions check found; true for Yes.
    bool askSerialOption();
    // The serial server's address when port names a line behind one.
    std::optional<NetworkAddress> networkAddress(const QString &port) const;
    // What every failed check leaves: port closed, no link, menus enabled for manual settings.
    void dropLink();
    void setMainMenus(bool enabled);
    void closePort();
    void readOrKeepSettings();
    // The search failed or was cancelled: panel hidden, messageIds shown, no link.
    void searchEnded(const QList<int> &messageIds);

    SessionState &m_shared;
    ComLink &m_link;
    RequestLayer &m_request;
    SettingsStore &m_store;
    OperatorInterface &m_op;
    MainView &m_view;
    VendorFrameSession &m_vendorFrame;
    // Expires with this check; the store's listener shows the stored conditions only meanwhile.
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
    ProgressCallback m_progress;
    SettingsRead m_settingsRead;
    bool m_searching = false;
    bool m_searchCancelled = false;
    bool m_accessDeniedShown = false;
    bool m_busyShown = false;
    bool m_networkFaultShown = false;
    bool m_openFaultNamed = false; // the last open failure was named to the operator
    // The last checkStoredConditions opened the stored port and the controller did not answer.
    bool m_storedUnanswered = false;
    Reply m_lastProbe;
};
