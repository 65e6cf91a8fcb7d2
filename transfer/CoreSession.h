#pragma once

#include "base/JobDispatcher.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/RequestLayer.h"
#include "comm/SessionContext.h"
#include "comm/TrafficLog.h"
#include "comm/VendorFrameSession.h"
#include "polling/ConnectionController.h"
#include "polling/ItemReadBack.h"
#include "polling/PollingCycle.h"
#include "polling/ReplyReporter.h"
#include "polling/VendorFrameReads.h"
#include "transfer/ControllerComparison.h"
#include "transfer/OnlineStartRead.h"
#include "transfer/ParameterDownload.h"
#include "transfer/ParameterUpload.h"
#include "transfer/SingleWrite.h"
#include "transfer/TransferCommands.h"
#include "transfer/VendorFrameWrites.h"
#include "transfer/WriteJournal.h"

// The core for one controller, built in this one place for the window, znctl, the test rigs, the
// benchmarks and the screenshot tool: the shared state, the component over the port with its
// request layer, the vendor frame, the polling, the uploads and downloads with their jobs and
// journal, and the connection controls. The host gives the operator interface, the view and the
// stored conditions, which must outlive the session, and decides whether a link check reads the
// settings (connection.setSettingsRead).
class CoreSession
{
public:
    struct Host {
        OperatorInterface &op;
        MainView &view;
        SettingsStore &store;
        // The write journal's folder, and who writes: the window or znctl.
        QString journalFolder;
        WriteJournal::Source journalSource = WriteJournal::Source::Window;
    };

    // initial: the shared state the host has loaded (stored conditions, a settings file given at
    // start-up); the session owns it from here on. comFactory makes the component at each link
    // check; when empty, the serial port under the store's port map for the session's conditions,
    // so that a port map edited in the settings takes effect at the next check.
    CoreSession(const Host &host, SessionState initial, CommComponentFactory comFactory = {});
    CoreSession(const CoreSession &) = delete;
    CoreSession &operator=(const CoreSession &) = delete;

    SessionState shared;
    // Every exchange on the session's line, for the line traffic view and znctl --frames.
    TrafficLog traffic;
    ComLink link;
    RequestLayer request{shared, link};
    SessionContext context;
    ReplyReporter reporter;
    VendorFrameSession vendorFrame;
    VendorFrameReads vendorReads;
    ItemReadBack itemRead;
    ParameterUpload upload;
    OnlineStartRead onlineStartRead;
    PollingCycle polling;
    JobDispatcher jobs{shared};
    WriteJournal journal;
    VendorFrameWrites vendorWrites;
    SingleWrite singleWrite;
    // Its read-back after a completed or keys-stopped download is the online start read.
    ParameterDownload download;
    TransferCommands commands;
    ControllerComparison comparison;
    ConnectionController connection;
};
